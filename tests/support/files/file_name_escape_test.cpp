#include "support/files/file_name_escape.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/unicode.h"

namespace cmdpredict {
namespace {

// The escaped name as the UTF-8 text that becomes the file name.
std::string Escaped(const WString& name) { return WideToUtf8Path(EscapeFileName(name)); }

WString Repeated(std::size_t count, WChar unit) { return WString(count, unit); }

TEST(FileNameEscape, WritesEachUnitThatCannotStayInAFileNameAsPercentAndTwoHexDigits) {
  const struct {
    const char* what;
    WString name;
    std::string escaped;
  } rows[] = {
      {"reserved punctuation", CMDPREDICT_WIDE("<>:\"/\\|?*"), "%3C%3E%3A%22%2F%5C%7C%3F%2A"},
      {"control characters", WString{WChar(0x00), WChar(0x09), WChar(0x1F)}, "%00%09%1F"},
      {"percent sign, so that an escaped name names a file of its own", CMDPREDICT_WIDE("a%3A"), "a%253A"},
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

TEST(FileNameEscape, WritesTheFirstCharacterOfAWindowsDeviceNameAsPercentAndTwoHexDigits) {
  const struct {
    WString name;
    std::string escaped;
  } rows[] = {
      {CMDPREDICT_WIDE("con"), "%63on"},         {CMDPREDICT_WIDE("PRN"), "%50RN"},
      {CMDPREDICT_WIDE("Aux.txt"), "%41ux.txt"}, {CMDPREDICT_WIDE("nUl.tar.gz"), "%6EUl.tar.gz"},
      {CMDPREDICT_WIDE("COM1"), "%43OM1"},       {CMDPREDICT_WIDE("com9."), "%63om9."},
      {CMDPREDICT_WIDE("LPT1"), "%4CPT1"},       {CMDPREDICT_WIDE("lpt9.log"), "%6Cpt9.log"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.escaped);
    EXPECT_EQ(Escaped(row.name), row.escaped);
  }
}

TEST(FileNameEscape, KeepsNamesThatOnlyResembleAWindowsDeviceName) {
  for (const WString& name : {WString(CMDPREDICT_WIDE("console")), WString(CMDPREDICT_WIDE("COM0")),
                              WString(CMDPREDICT_WIDE("LPT10")), WString(CMDPREDICT_WIDE("xcon")),
                              WString(CMDPREDICT_WIDE("con_1.txt")), WString(CMDPREDICT_WIDE("a.con")),
                              WString(CMDPREDICT_WIDE(".nul")), WString(CMDPREDICT_WIDE("co")),
                              WString(CMDPREDICT_WIDE("COM\u00b9"))}) {
    SCOPED_TRACE(WideToUtf8Path(name));
    EXPECT_EQ(EscapeFileName(name), name);
  }
}

// 110 bytes of the name, "%~", and the FNV-1a hash of the whole name's bytes.
TEST(FileNameEscape, ShortensALongNameToItsStartAndTheHashOfTheWholeName) {
  EXPECT_EQ(Escaped(Repeated(200, u'L')), std::string(110, 'L') + "%~82FCE2BCE7A0F7A5");
}

TEST(FileNameEscape, ShortensOnlyNamesLongerThanTheLongestFileName) {
  EXPECT_EQ(Escaped(Repeated(kMaxEscapedNameBytes, u'L')), std::string(kMaxEscapedNameBytes, 'L'));
  EXPECT_EQ(Escaped(Repeated(kMaxEscapedNameBytes + 1, u'L')), std::string(110, 'L') + "%~144C99578B33C36B");
}

TEST(FileNameEscape, ShortensTheEscapedNameWithoutCuttingAnEscapeOrASurrogatePair) {
  for (const WString& unit : {WString(CMDPREDICT_WIDE("/")), WString(CMDPREDICT_WIDE("\U0001F600"))}) {
    SCOPED_TRACE(WideToUtf8Path(unit));
    EXPECT_EQ(Escaped(Repeated(109, u'L') + unit + Repeated(30, u'x')).substr(0, 111),
              std::string(109, 'L') + "%~");
  }
}

}  // namespace
}  // namespace cmdpredict
