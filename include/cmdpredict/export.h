// Marks the symbols that the cmdpredict shared library exports; everything else stays hidden.
#pragma once

#if defined(_WIN32)
#  if defined(CMDPREDICT_BUILDING_LIBRARY)
#    define CMDPREDICT_API __declspec(dllexport)
#  else
#    define CMDPREDICT_API __declspec(dllimport)
#  endif
#else
#  define CMDPREDICT_API __attribute__((visibility("default")))
#endif
