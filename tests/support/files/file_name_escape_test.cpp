#include "support/files/file_name_escape.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"

namespace cmdpredict {
namespace {

// The escaped name as the UTF-8 text that becomes the file name.
std::string Escaped(const WString& name) { return WideToUtf8Path(EscapeFileName(name)); }

TEST(FileNameEscape, WritesEachUnitThatCannotStayInAFileNameAsPercentAndTwoHexDigits) {
  const struct {
    const char* what;
    WString name;
    std::string escaped;
  } rows[] = {
      {"reserved punctuation", CMDPREDICT_WIDE("<>:\"/\\|?*"), "%3C%3E%3A%22%2F%5C%7C%3F%2A"},
      {"control characters", WString{WChar(0x00), WChar(0x09), WChar(0x1F)}, "%00%09%1F"},
      {"percent sign", CMDPREDICT_WIDE("100%"), "100%25"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Escaped(row.name), row.escaped);
  }
}

TEST(FileNameEscape, KeepsEveryOtherCharacter) {
  EXPECT_EQ(Escaped(CMDPREDICT_WIDE("Sketch 1. \u00e9t\u00e9 \u6a21 \U0001F600 ~#&'")),
            "Sketch 1. \xc3\xa9t\xc3\xa9 \xe6\xa8\xa1 \xed\xa0\xbd\xed\xb8\x80 ~#&'");
}

TEST(FileNameEscape, GivesANameThatLooksEscapedAFileOfItsOwn) {
  EXPECT_EQ(Escaped(CMDPREDICT_WIDE("a:b")), "a%3Ab");
  EXPECT_EQ(Escaped(CMDPREDICT_WIDE("a%3Ab")), "a%253Ab");
}

}  // namespace
}  // namespace cmdpredict
