// Reads arbitrary bytes as a command log, whole and split at a point the input chooses; checks that
// both readings agree, and that every event read names a known environment on a line within the log.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "command_log.h"

namespace {

// Feeds the text in two pieces split at `split`; true when the whole log was read.
bool Read(std::string_view text, std::size_t split, cmdpredict::cli::CommandLogParser& parser) {
  return parser.Feed(text.substr(0, split)) && parser.Feed(text.substr(split)) && parser.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cmdpredict::cli::CommandLogParser whole;
  cmdpredict::cli::CommandLogParser split;
  const bool read = Read(text, size, whole);
  if (Read(text, size == 0 ? 0 : data[0] % size, split) != read) std::abort();
  if (!read) {
    if (whole.Error() != split.Error() || whole.Error().empty()) std::abort();
    return 0;
  }
  const cmdpredict::cli::CommandLog& log = whole.Log();
  if (log.events.size() != split.Log().events.size() || log.environments != split.Log().environments)
    std::abort();
  std::uint32_t previousLine = 0;
  for (const cmdpredict::cli::LogEvent& event : log.events) {
    if (event.environment >= log.environments.size() || event.line <= previousLine || event.line > size + 1) {
      std::abort();
    }
    previousLine = event.line;
  }
  return 0;
}
