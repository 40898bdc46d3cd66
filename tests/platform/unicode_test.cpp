#include "platform/unicode.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace cmdpredict {
namespace {

void ExpectBadConversion(const std::string& utf8) {
  try {
    Utf8ToWide(utf8);
    FAIL() << "accepted invalid UTF-8";
  } catch (const std::range_error& error) {
    EXPECT_STREQ(error.what(), "bad conversion");
  }
}

TEST(Utf8ToWide, ConvertsAsciiAndMultiByteCharacters) {
  EXPECT_EQ(Utf8ToWide("E1"), u"E1");
  EXPECT_EQ(Utf8ToWide(""), u"");
  EXPECT_EQ(Utf8ToWide("\xC3\x89" "dition"), u"\u00C9dition");
  EXPECT_EQ(Utf8ToWide("\xE4\xB8\xAD\xE6\x96\x87"), u"\u4E2D\u6587");
  EXPECT_EQ(Utf8ToWide("\xEF\xBF\xBF"), u"\uFFFF");
}

TEST(Utf8ToWide, WritesCodePointsAboveTheBasicPlaneAsSurrogatePairs) {
  const WString wide = Utf8ToWide("\xF0\x9F\x98\x80");  // U+1F600
  ASSERT_EQ(wide.size(), 2U);
  EXPECT_EQ(wide[0], 0xD83D);
  EXPECT_EQ(wide[1], 0xDE00);
  EXPECT_EQ(Utf8ToWide("\xF4\x8F\xBF\xBF"), (WString{0xDBFF, 0xDFFF}));  // U+10FFFF
}

TEST(Utf8ToWide, KeepsAByteOrderMark) {
  EXPECT_EQ(Utf8ToWide("\xEF\xBB\xBF" "a"), u"\uFEFFa");
}

TEST(Utf8ToWide, RejectsOverlongForms) {
  ExpectBadConversion("\xC0\xAF");
  ExpectBadConversion("\xC1\xBF");
  ExpectBadConversion("\xE0\x80\xAF");
  ExpectBadConversion("\xF0\x80\x80\xAF");
}

TEST(Utf8ToWide, RejectsEncodedSurrogates) {
  ExpectBadConversion("\xED\xA0\x80");  // U+D800
  ExpectBadConversion("\xED\xBF\xBF");  // U+DFFF
}

TEST(Utf8ToWide, RejectsCodePointsAboveTheUnicodeRange) {
  ExpectBadConversion("\xF4\x90\x80\x80");  // U+110000
  ExpectBadConversion("\xF7\xBF\xBF\xBF");
  ExpectBadConversion("\xF8\x88\x80\x80\x80");
}

TEST(Utf8ToWide, RejectsTruncatedAndStraySequences) {
  ExpectBadConversion("a\xC3");
  ExpectBadConversion("\xE4\xB8");
  ExpectBadConversion("\xF0\x9F\x98");
  ExpectBadConversion("\x80");
  ExpectBadConversion("\xC3\x28");
  ExpectBadConversion("\xFF");
}

TEST(WideToUtf8Path, EncodesEachUnitAsOneCodePoint) {
  EXPECT_EQ(WideToUtf8Path(u"E1"), "E1");
  EXPECT_EQ(WideToUtf8Path(u"\u00C9"), "\xC3\x89");
  EXPECT_EQ(WideToUtf8Path(u"\u4E2D"), "\xE4\xB8\xAD");
  // A surrogate pair is not combined: each half becomes its own three-byte sequence.
  EXPECT_EQ(WideToUtf8Path(WString{0xD83D, 0xDE00}), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(WideToUtf8Path, EncodesLoneSurrogateUnits) {
  EXPECT_EQ(WideToUtf8Path(WString{u'a', 0xD800}), "a\xED\xA0\x80");
  EXPECT_EQ(WideToUtf8Path(WString{0xDFFF}), "\xED\xBF\xBF");
}

}  // namespace
}  // namespace cmdpredict
