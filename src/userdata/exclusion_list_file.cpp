#include "userdata/exclusion_list_file.h"

#include <cstdint>

namespace cmdpredict {
namespace {

// White space as the "C" locale classifies it. A CR before a line's LF is white space, so lines
// that end with CR LF read exactly like lines that end with LF.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The numbers of one line, read one after the other.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : m_rest(line) {}

  // False when the next text (after white space) is not a number in the signed 32-bit range.
  bool ReadNumber(LONG& number) {
    SkipSpace();
    const bool negative = TakeSign();
    if (m_rest.empty() || !IsDigit(m_rest.front())) return false;
    const std::uint64_t magnitude = TakeDigits();
    if (magnitude > (negative ? kLargestMagnitude : kLargestMagnitude - 1)) return false;
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    number = static_cast<LONG>(value);
    return true;
  }

  // True when nothing but white space is left.
  bool AtEnd() {
    SkipSpace();
    return m_rest.empty();
  }

  // Skips a comma that follows directly; true when there was one.
  bool SkipComma() {
    if (m_rest.empty() || m_rest.front() != ',') return false;
    m_rest.remove_prefix(1);
    return true;
  }

 private:
  // The magnitude of the smallest 32-bit number; any larger magnitude is out of range either way.
  static constexpr std::uint64_t kLargestMagnitude = std::uint64_t{1} << 31;

  void SkipSpace() {
    while (!m_rest.empty() && IsSpace(m_rest.front())) m_rest.remove_prefix(1);
  }

  // True for a minus sign; a plus sign is skipped too.
  bool TakeSign() {
    if (m_rest.empty() || (m_rest.front() != '+' && m_rest.front() != '-')) return false;
    const bool negative = m_rest.front() == '-';
    m_rest.remove_prefix(1);
    return negative;
  }

  // Consumes every digit; once the value is out of range it stops growing, so a long run of
  // digits cannot overflow the accumulator.
  std::uint64_t TakeDigits() {
    std::uint64_t magnitude = 0;
    while (!m_rest.empty() && IsDigit(m_rest.front())) {
      if (magnitude <= kLargestMagnitude)
        magnitude = magnitude * 10 + static_cast<unsigned>(m_rest.front() - '0');
      m_rest.remove_prefix(1);
    }
    return magnitude;
  }

  std::string_view m_rest;
};

template <typename ReadLine>
void ForEachLine(std::string_view text, ReadLine readLine) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    readLine(text.substr(0, end));
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

bool ReadTrainingExclusionList(std::string_view text, CommandFlags& excluded) {
  bool allUsed = true;
  ForEachLine(text, [&](std::string_view line) {
    LineReader reader(line);
    LONG number = 0;
    while (reader.ReadNumber(number)) {
      excluded[number] = true;
      reader.SkipComma();
    }
    allUsed = reader.AtEnd() && allUsed;
  });
  return allUsed;
}

bool ReadUserExclusionList(std::string_view text, CommandFlags& userExcluded) {
  // Whether the next number is an identifier or a flag is carried from one line to the next.
  bool expectIdentifier = true;
  LONG pendingIdentifier = 0;
  bool allUsed = true;
  ForEachLine(text, [&](std::string_view line) {
    LineReader reader(line);
    LONG number = 0;
    while (reader.ReadNumber(number)) {
      if (expectIdentifier) {
        pendingIdentifier = number;
        if (!reader.SkipComma()) {  // dropped with the rest of its line
          allUsed = false;
          return;
        }
        expectIdentifier = false;
      } else {
        userExcluded[pendingIdentifier] = number != 0;
        expectIdentifier = true;
      }
      // After an identifier's comma this skips a second one: "10,,1" is the pair 10,1.
      reader.SkipComma();
    }
    allUsed = reader.AtEnd() && allUsed;
  });
  return allUsed && expectIdentifier;
}

std::string FormatUserExclusionList(const CommandFlags& commands) {
  std::string text;
  for (const auto& [identifier, excluded] : commands) {
    if (!text.empty()) text += ',';
    text += std::to_string(identifier);
    text += excluded ? ",1" : ",0";
  }
  return text;
}

}  // namespace cmdpredict
