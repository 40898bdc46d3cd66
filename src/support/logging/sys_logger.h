// The library's diagnostic output channel: narrow text written to the process's standard output.
// No log file exists; the host sees the output only when it runs with a console.
//
// Threading: one process-wide instance, unsynchronised, written from the host's thread only.
#pragma once

#include <string>

namespace cmdpredict {

// Tokens with a fixed text, so that every report separates its parts the same way.
struct LogSeparator {};   // " ,"
struct LogTerminator {};  // " . "
inline constexpr LogSeparator kLogSeparator{};
inline constexpr LogTerminator kLogTerminator{};

// Every insertion writes its text without a line break and returns the logger for chaining.
// Output errors are not reported: a failing standard output simply drops the text.
class SysLogger final {
 public:
  // The process-wide instance, constructed on first use.
  static SysLogger& Instance();

  SysLogger(const SysLogger&) = delete;
  SysLogger& operator=(const SysLogger&) = delete;

  // Serves text given by value and by reference alike: separate overloads for `const char*` and
  // `const char*&` would make every insertion of a pointer variable ambiguous. A null pointer
  // writes nothing.
  SysLogger& operator<<(const char* text);
  SysLogger& operator<<(const std::string& text);
  SysLogger& operator<<(LogSeparator);
  SysLogger& operator<<(LogTerminator);

 private:
  SysLogger() = default;
};

}  // namespace cmdpredict
