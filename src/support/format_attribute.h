// Lets the compiler check the arguments of the library's own printf-style functions.
#pragma once

// MinGW's C runtime headers name the printf flavour its functions follow; without them `printf`
// would mean Microsoft's rules, which know neither %zd nor %lld.
#if defined(__MINGW32__)
#include <stdio.h>
#define CMDPREDICT_PRINTF_ARCHETYPE __MINGW_PRINTF_FORMAT
#else
#define CMDPREDICT_PRINTF_ARCHETYPE printf
#endif

#if defined(__GNUC__) || defined(__clang__)
#define CMDPREDICT_PRINTF_FORMAT(formatIndex, firstArgumentIndex) \
  __attribute__((format(CMDPREDICT_PRINTF_ARCHETYPE, formatIndex, firstArgumentIndex)))
#else
#define CMDPREDICT_PRINTF_FORMAT(formatIndex, firstArgumentIndex)
#endif
