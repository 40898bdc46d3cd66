/* Marks the symbols that the cmdpredict shared library exports; everything else stays hidden.
 * CMDPREDICT_BUILDING_LIBRARY is defined only while the shared library itself is compiled, and
 * CMDPREDICT_STATIC_LIBRARY by the build's internal static library, whose users import nothing.
 * Included by the C interface too, so it stays C89. */
#pragma once

#if defined(_WIN32)
#if defined(CMDPREDICT_STATIC_LIBRARY)
#define CMDPREDICT_API
#elif defined(CMDPREDICT_BUILDING_LIBRARY)
#define CMDPREDICT_API __declspec(dllexport)
#else
#define CMDPREDICT_API __declspec(dllimport)
#endif
#else
#define CMDPREDICT_API __attribute__((visibility("default")))
#endif
