// The replay tool's command log: UTF-8 text, one command event per line, "ENV,COMMAND" or
// "ENV,COMMAND,RUNKIND". Blank lines and lines starting with '#' are skipped; a trailing CR is
// dropped. The whole log is checked before anything is replayed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

struct LogEvent {
  std::uint32_t line = 0;         // 1-based line number in the log
  std::uint32_t environment = 0;  // index into CommandLog::environments
  LONG command = 0;
  DWORD runKind = 0;              // 0 when the line has no third field
};

struct CommandLog {
  std::vector<std::string> environments;  // distinct names (UTF-8) in order of first appearance
  std::vector<LogEvent> events;
};

// Parses the text of a log. On a malformed line returns false with `error` set to
// "LINE: reason" for that line (the first malformed one).
bool ParseCommandLog(const std::string& text, CommandLog& log, std::string& error);

}  // namespace cmdpredict::cli
