#include "userdata/csv_table.h"

#include <algorithm>
#include <cstddef>

namespace cmdpredict {
namespace {

bool IsHighSurrogate(WChar unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

bool IsLowSurrogate(WChar unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Single-byte text: ASCII stays, every other character (a surrogate pair being one) becomes '?'.
std::string ToSingleByte(const WString& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const WChar unit = text[i];
    if (unit < 0x80) {
      bytes.push_back(static_cast<char>(unit));
      continue;
    }
    bytes.push_back('?');
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
  }
  return bytes;
}

bool NeedsQuotes(const std::string& cell) { return cell.find_first_of(",\"\r\n") != std::string::npos; }

std::string Quoted(const std::string& cell) {
  std::string quoted = "\"";
  for (const char c : cell) {
    quoted.push_back(c);
    if (c == '"') quoted.push_back('"');
  }
  quoted.push_back('"');
  return quoted;
}

void AppendCell(const WString& value, std::string& text) {
  const std::string cell = ToSingleByte(value);
  text += NeedsQuotes(cell) ? Quoted(cell) : cell;
}

void AppendHeader(const std::vector<WString>& header, std::string& text) {
  for (std::size_t c = 0; c < header.size(); ++c) {
    if (c > 0) text += ',';
    AppendCell(header[c], text);
  }
}

void AppendRow(const std::vector<std::vector<WString>>& columns, std::size_t row, std::string& text) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) text += ',';
    if (row < columns[c].size()) AppendCell(columns[c][row], text);
  }
}

std::size_t LongestColumn(const std::vector<std::vector<WString>>& columns) {
  std::size_t longest = 0;
  for (const auto& column : columns) longest = std::max(longest, column.size());
  return longest;
}

}  // namespace

std::string FormatCsvTable(const std::vector<WString>& header,
                           const std::vector<std::vector<WString>>& columns) {
  std::string text;
  AppendHeader(header, text);
  const std::size_t rows = LongestColumn(columns);
  for (std::size_t row = 0; row < rows; ++row) {
    text += "\r\n";
    AppendRow(columns, row, text);
  }
  return text;
}

}  // namespace cmdpredict
