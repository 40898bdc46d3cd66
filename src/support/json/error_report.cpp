#include "support/json/error_report.h"

#include <cstdarg>
#include <map>
#include <string>

#include "support/files/text.h"
#include "support/logging/sys_logger.h"

namespace cmdpredict {
namespace {

struct ErrorRange {
  std::int32_t count = 0;
  ErrorTextHandler handler = nullptr;
  void* context = nullptr;
};

// Ordered by first code: the lowest matching range wins.
class ErrorRangeRegistry {
 public:
  ErrorRangeRegistry() { Register(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, nullptr, nullptr); }

  void Register(std::int32_t firstCode, std::int32_t count, ErrorTextHandler handler, void* context) {
    m_ranges[firstCode] = ErrorRange{count, handler, context};
  }

  void Unregister(std::int32_t firstCode) { m_ranges.erase(firstCode); }

  // The range that owns the code, or null.
  const ErrorRange* Find(int code) const {
    for (const auto& [firstCode, range] : m_ranges) {
      // 64-bit arithmetic: a range near the top of the 32-bit codes must not overflow.
      const std::int64_t first = firstCode;
      if (first < code && code <= first + range.count) return &range;
    }
    return nullptr;
  }

 private:
  std::map<std::int32_t, ErrorRange> m_ranges;
};

// Constructed on first use, so no other static object's initialisation order matters.
ErrorRangeRegistry& Registry() {
  static ErrorRangeRegistry registry;
  return registry;
}

// The handler's text for the code, or null when no report is to be written.
const char* HandlerTextFor(int code) {
  const ErrorRange* range = Registry().Find(code);
  return range != nullptr && range->handler != nullptr ? range->handler(code, range->context) : nullptr;
}

}  // namespace

void ReportError(const char* file, int line, int code, const char* format, ...) {
  const char* handlerText = HandlerTextFor(code);
  if (handlerText == nullptr) return;

  std::va_list arguments;
  va_start(arguments, format);
  const std::string message = FormatTextV(format, arguments);
  va_end(arguments);

  SysLogger& logger = SysLogger::Instance();
  if (file != nullptr) logger << "File: " << file << kLogSeparator;
  logger << "Line: " << std::to_string(line) << kLogSeparator << message << kLogTerminator << handlerText;
}

void RegisterErrorRange(std::int32_t firstCode, std::int32_t count, ErrorTextHandler handler, void* context) {
  Registry().Register(firstCode, count, handler, context);
}

void UnregisterErrorRange(std::int32_t firstCode) { Registry().Unregister(firstCode); }

}  // namespace cmdpredict
