#include "command_log.h"

#include <charconv>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "platform/unicode.h"

namespace cmdpredict::cli {
namespace {

template <typename Number>
bool ParseDecimal(std::string_view field, Number& number) {
  const char* end = field.data() + field.size();
  const auto [stop, status] = std::from_chars(field.data(), end, number);
  return status == std::errc() && stop == end;
}

bool IsValidUtf8(std::string_view text) {
  try {
    Utf8ToWide(text);
    return true;
  } catch (const std::range_error&) {
    return false;
  }
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

// Checks one event line; returns the reason it is malformed, or an empty text.
std::string ParseEvent(std::string_view line, std::string_view& environment, LogEvent& event) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() != 2 && fields.size() != 3) {
    return "expected ENV,COMMAND or ENV,COMMAND,RUNKIND but found " + std::to_string(fields.size()) + " fields";
  }
  environment = fields[0];
  if (environment.find('\0') != std::string_view::npos) return "the environment name contains a NUL byte";
  if (!IsValidUtf8(environment)) return "the environment name is not valid UTF-8";
  if (!ParseDecimal(fields[1], event.command)) {
    return "COMMAND '" + std::string(fields[1]) + "' is not a signed 32-bit decimal number";
  }
  if (fields.size() == 3 && !ParseDecimal(fields[2], event.runKind)) {
    return "RUNKIND '" + std::string(fields[2]) + "' is not an unsigned 32-bit decimal number";
  }
  return std::string();
}

}  // namespace

bool ParseCommandLog(const std::string& text, CommandLog& log, std::string& error) {
  std::unordered_map<std::string_view, std::uint32_t> environmentIndex;
  std::uint32_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string::npos ? text.size() : newline;
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    std::string_view environment;
    LogEvent event;
    event.line = lineNumber;
    const std::string reason = ParseEvent(line, environment, event);
    if (!reason.empty()) {
      error = std::to_string(lineNumber) + ": " + reason;
      return false;
    }
    const auto [found, added] = environmentIndex.try_emplace(environment, static_cast<std::uint32_t>(log.environments.size()));
    if (added) log.environments.emplace_back(environment);
    event.environment = found->second;
    log.events.push_back(event);
  }
  return true;
}

}  // namespace cmdpredict::cli
