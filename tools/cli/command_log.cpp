#include "command_log.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "platform/open_file.h"
#include "platform/unicode.h"

namespace cmdpredict::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kQuotedFieldBytes = 32;
constexpr std::size_t kReadPieceBytes = 1 << 16;

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
    fields.push_back(
        line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

// Checks one event line; returns the reason it is malformed, or an empty text.
std::string ParseEvent(std::string_view line, std::string_view& environment, LogEvent& event) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() != 2 && fields.size() != 3) {
    return "expected ENV,COMMAND or ENV,COMMAND,RUNKIND but found " + std::to_string(fields.size()) +
           " fields";
  }
  environment = fields[0];
  if (environment.find('\0') != std::string_view::npos) return "the environment name contains a NUL byte";
  if (!IsValidUtf8(environment)) return "the environment name is not valid UTF-8";
  if (!ParseDecimal(fields[1], event.command)) {
    return "COMMAND '" + QuoteField(fields[1]) + "' is not a signed 32-bit decimal number";
  }
  if (fields.size() == 3 && !ParseDecimal(fields[2], event.runKind)) {
    return "RUNKIND '" + QuoteField(fields[2]) + "' is not an unsigned 32-bit decimal number";
  }
  return std::string();
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Why the path cannot be read as a log, or an empty text. Pipes and terminals are read; folders
// and devices (which may never end) are refused.
std::string UnreadableReason(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(std::filesystem::u8path(path), error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) return "it is a folder";
  if (std::filesystem::is_block_file(status) || std::filesystem::is_character_file(status)) {
    return "it is a device, not a file";
  }
  return std::string();
}

LogReadStatus ReadStream(std::FILE* file, const std::string& path, CommandLogParser& parser,
                         std::string& message) {
  std::string piece(kReadPieceBytes, '\0');
  for (;;) {
    const std::size_t got = std::fread(piece.data(), 1, piece.size(), file);
    if (got > 0 && !parser.Feed(std::string_view(piece.data(), got))) break;
    if (got < piece.size()) {
      if (std::ferror(file)) {
        message = path + ": cannot read the log: " + std::strerror(errno);
        return LogReadStatus::kCannotRead;
      }
      if (parser.Finish()) return LogReadStatus::kRead;
      break;
    }
  }
  message = path + ":" + parser.Error();
  return LogReadStatus::kMalformed;
}

}  // namespace

std::string QuoteField(std::string_view field) {
  std::string quoted;
  for (const char c : field.substr(0, kQuotedFieldBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      quoted.push_back(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    }
  }
  if (field.size() > kQuotedFieldBytes) quoted += "...";
  return quoted;
}

bool CommandLogParser::Feed(std::string_view bytes) {
  if (!m_error.empty()) return false;
  m_bytes += bytes.size();
  if (m_bytes > kMaxLogBytes)
    return Fail("the log is longer than " + std::to_string(kMaxLogBytes) + " bytes");
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, newline);
    if (m_pendingLine.size() + piece.size() > kMaxLogLineBytes) {
      return Fail("the line is longer than " + std::to_string(kMaxLogLineBytes) + " bytes");
    }
    if (newline == std::string_view::npos) {
      m_pendingLine.append(piece);
      return true;
    }
    bytes.remove_prefix(newline + 1);
    if (m_pendingLine.empty()) {
      if (!TakeLine(piece)) return false;
      continue;
    }
    m_pendingLine.append(piece);
    const std::string line = std::move(m_pendingLine);
    m_pendingLine.clear();
    if (!TakeLine(line)) return false;
  }
  return true;
}

bool CommandLogParser::Finish() {
  if (!m_error.empty()) return false;
  if (m_pendingLine.empty()) return true;
  const std::string line = std::move(m_pendingLine);
  m_pendingLine.clear();
  return TakeLine(line);
}

bool CommandLogParser::Fail(const std::string& reason) {
  m_error = std::to_string(m_lineNumber + 1) + ": " + reason;
  return false;
}

bool CommandLogParser::TakeLine(std::string_view line) {
  if (m_lineNumber == 0 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    line.remove_prefix(kByteOrderMark.size());
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() == '#') {
    ++m_lineNumber;
    return true;
  }
  std::string_view environment;
  LogEvent event;
  event.line = m_lineNumber + 1;
  const std::string reason = ParseEvent(line, environment, event);
  if (!reason.empty()) return Fail(reason);
  ++m_lineNumber;
  const auto [found, added] = m_environmentIndex.try_emplace(
      std::string(environment), static_cast<std::uint32_t>(m_log.environments.size()));
  if (added) m_log.environments.emplace_back(environment);
  event.environment = found->second;
  m_log.events.push_back(event);
  return true;
}

LogReadStatus ReadCommandLog(const std::string& path, CommandLog& log, std::string& message) {
  CommandLogParser parser;
  LogReadStatus status;
  if (path == "-") {
    status = ReadStream(stdin, path, parser, message);
  } else {
    const std::string reason = UnreadableReason(path);
    const FilePtr file(reason.empty() ? OpenFile(path, "rb") : nullptr);
    if (file == nullptr) {
      message = path + ": cannot read the log: " + (reason.empty() ? std::strerror(errno) : reason);
      return LogReadStatus::kCannotRead;
    }
    status = ReadStream(file.get(), path, parser, message);
  }
  if (status == LogReadStatus::kRead) log = std::move(parser.Log());
  return status;
}

}  // namespace cmdpredict::cli
