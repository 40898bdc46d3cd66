// The replay tool's command log: UTF-8 text, one command event per line, "ENV,COMMAND" or
// "ENV,COMMAND,RUNKIND". Blank lines and lines starting with '#' are skipped; a trailing CR is
// dropped; a UTF-8 byte-order mark at the very start is skipped. The whole log is checked before
// anything is replayed.
//
// The log is read through fixed bounds, so that a device or a runaway file cannot exhaust memory:
// no line may be longer than kMaxLogLineBytes and the whole log no longer than kMaxLogBytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

inline constexpr std::size_t kMaxLogLineBytes = 65536;
inline constexpr std::uint64_t kMaxLogBytes = std::uint64_t{1} << 30;

struct LogEvent {
  std::uint32_t line = 0;         // 1-based line number in the log
  std::uint32_t environment = 0;  // index into CommandLog::environments
  LONG command = 0;
  DWORD runKind = 0;  // 0 when the line has no third field
};

struct CommandLog {
  std::vector<std::string> environments;  // distinct names (UTF-8) in order of first appearance
  std::vector<LogEvent> events;
};

// Reads a log piece by piece, in whatever pieces it arrives.
class CommandLogParser {
 public:
  // Takes the next bytes of the log. False from the first malformed line or passed bound on, with
  // Error() set to "LINE: reason".
  bool Feed(std::string_view bytes);
  // Ends the log, reading a last line that has no line end; false when it is malformed.
  bool Finish();
  const std::string& Error() const { return m_error; }
  CommandLog& Log() { return m_log; }

 private:
  bool TakeLine(std::string_view line);
  bool Fail(const std::string& reason);

  CommandLog m_log;
  std::unordered_map<std::string, std::uint32_t> m_environmentIndex;
  std::string m_pendingLine;  // the start of a line whose end has not arrived yet
  std::uint64_t m_bytes = 0;
  std::uint32_t m_lineNumber = 0;  // of the last line taken
  std::string m_error;
};

enum class LogReadStatus { kRead, kCannotRead, kMalformed };

// Reads the log at the path, or standard input for "-". A folder, a device or a file that cannot be
// read gives kCannotRead; a malformed line or a passed bound kMalformed. `message` then holds the
// one-line message for standard error: "PATH: cannot read the log: reason" or "PATH:LINE: reason".
LogReadStatus ReadCommandLog(const std::string& path, CommandLog& log, std::string& message);

// At most the first 32 bytes of a field from a log, safe to print: printable ASCII as it is, every
// other byte as \xHH, and "..." when the field was longer.
std::string QuoteField(std::string_view field);

}  // namespace cmdpredict::cli
