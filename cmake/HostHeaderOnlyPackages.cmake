# RapidJSON, Boost and CLI11 are header-only and the same for every target, so a cross build uses
# the host's Debian packages of them. Only their own header trees are linked into a folder of the
# build folder: the rest of the host's /usr/include (its C library, its system headers) never
# reaches the cross compiler.
set(CMDPREDICT_HOST_INCLUDE_DIR /usr/include CACHE PATH
    "Folder holding the host's rapidjson, boost and CLI header trees (for cross builds)")

set(CMDPREDICT_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${CMDPREDICT_HOST_HEADERS})
foreach(tree rapidjson boost CLI)
  if(NOT IS_DIRECTORY ${CMDPREDICT_HOST_INCLUDE_DIR}/${tree})
    message(FATAL_ERROR "${CMDPREDICT_HOST_INCLUDE_DIR}/${tree} is missing: install rapidjson-dev, libboost-dev "
                        "and libcli11-dev (scripts/setup does)")
  endif()
  file(CREATE_LINK ${CMDPREDICT_HOST_INCLUDE_DIR}/${tree} ${CMDPREDICT_HOST_HEADERS}/${tree} SYMBOLIC)
endforeach()

set(RAPIDJSON_INCLUDE_DIRS ${CMDPREDICT_HOST_HEADERS})
set(Boost_INCLUDE_DIRS ${CMDPREDICT_HOST_HEADERS})
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CMDPREDICT_HOST_HEADERS})
