# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers (the POSIX thread model, which
# std::thread and std::mutex need), and runs the programs built here (tests included) under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMDPREDICT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CMDPREDICT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CMDPREDICT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CMDPREDICT_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW tree only, never from the host's /usr/include.
set(CMAKE_FIND_ROOT_PATH /usr/${CMDPREDICT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(CMDPREDICT_WINE wine)
if(CMDPREDICT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMDPREDICT_WINE})
endif()
