// Text helpers for paths and file contents: printf-style formatting, suffix test, splitting.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "support/format_attribute.h"

namespace cmdpredict {

// The text that the C runtime's formatted printing makes of the format and its arguments. A null
// format, or a format the runtime cannot encode, gives the empty text.
std::string FormatText(const char* format, ...) CMDPREDICT_PRINTF_FORMAT(1, 2);
std::string FormatTextV(const char* format, std::va_list arguments) CMDPREDICT_PRINTF_FORMAT(1, 0);

// True when the text's last bytes equal the suffix; an empty suffix always ends a text.
bool EndsWith(const std::string& text, const std::string& suffix);

// Splits the text, up to its first zero byte, at every occurrence of the first character of
// `delimiters` and appends the pieces to `pieces`. Empty pieces between delimiters and before a
// leading one are kept; a trailing delimiter adds no piece and an empty text adds none.
// Returns the size of `pieces` afterwards; with empty `delimiters` returns 0 and changes nothing.
int SplitText(const std::string& text, const std::string& delimiters, std::vector<std::string>& pieces);

}  // namespace cmdpredict
