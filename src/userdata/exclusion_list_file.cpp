#include "userdata/exclusion_list_file.h"

#include <algorithm>

#include "support/files/leading_integer.h"

namespace cmdpredict {
namespace {

// The numbers of one line, read one after the other. A CR before a line's LF is white space, so
// lines that end with CR LF read exactly like lines that end with LF.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : m_rest(line) {}

  // False when the next text (after white space) is not a number in the signed 32-bit range. Only a
  // number is used up: a sign without digits, or digits beyond the range, stay as text that the
  // line did not use, even at its end.
  bool ReadNumber(LONG& number) {
    const LeadingInteger read = ReadLeadingInteger(m_rest);
    if (read.outcome != LeadingInteger::Outcome::kNumber) return false;
    m_rest.remove_prefix(read.end);
    number = static_cast<LONG>(read.value);
    return true;
  }

  // True when nothing but white space is left.
  bool AtEnd() const { return std::all_of(m_rest.begin(), m_rest.end(), IsCWhiteSpace); }

  // Skips a comma that follows directly; true when there was one.
  bool SkipComma() {
    if (m_rest.empty() || m_rest.front() != ',') return false;
    m_rest.remove_prefix(1);
    return true;
  }

 private:
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
