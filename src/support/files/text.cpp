#include "support/files/text.h"

#include <cstdio>
#include <string_view>

namespace cmdpredict {

std::string FormatText(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::string text = FormatTextV(format, arguments);
  va_end(arguments);
  return text;
}

std::string FormatTextV(const char* format, std::va_list arguments) {
  if (format == nullptr) return std::string();
  // The first pass consumes its own copy of the arguments and only measures.
  std::va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length), '\0');
  // The string's own terminator slot receives the NUL that vsnprintf writes.
  std::vsnprintf(&text[0], text.size() + 1, format, arguments);
  return text;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int SplitText(const std::string& text, const std::string& delimiters, std::vector<std::string>& pieces) {
  if (delimiters.empty()) return 0;
  const char delimiter = delimiters[0];
  std::string_view rest(text.c_str());  // up to the first zero byte
  while (!rest.empty()) {
    const std::size_t found = rest.find(delimiter);
    pieces.emplace_back(rest.substr(0, found));
    if (found == std::string_view::npos) break;
    rest.remove_prefix(found + 1);
  }
  return static_cast<int>(pieces.size());
}

}  // namespace cmdpredict
