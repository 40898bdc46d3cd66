// Lets the compiler check the arguments of the library's own printf-style functions.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define CMDPREDICT_PRINTF_FORMAT(formatIndex, firstArgumentIndex) \
  __attribute__((format(printf, formatIndex, firstArgumentIndex)))
#else
#define CMDPREDICT_PRINTF_FORMAT(formatIndex, firstArgumentIndex)
#endif
