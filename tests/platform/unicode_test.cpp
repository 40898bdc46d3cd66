// The platform's UTF-8 and UTF-16 conversions and its UTF-16 string class.
#include "platform/unicode.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "cmdpredict/bstr.h"

namespace cmdpredict {
namespace {

const auto kBadConversion = ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion"));
// Lone surrogate units among others, and what they become as path text, one code point each.
const WString kUnits{u'a', 0xC9, 0x3A9, 0x4E2D, 0xD800, 0xD83D, 0xDE00, 0xDFFF};
const std::string kUnitsAsPathText =
    "a\xC3\x89\xCE\xA9\xE4\xB8\xAD\xED\xA0\x80\xED\xA0\xBD\xED\xB8\x80\xED\xBF\xBF";

TEST(Unicode, ConvertsUtf8ToUtf16WithSurrogatePairsAboveU0000FFFF) {
  EXPECT_EQ(Utf8ToWide("E1\xC3\x89\xE4\xB8\xAD\xEF\xBF\xBF"), CMDPREDICT_WIDE("E1\u00C9\u4E2D\uFFFF"));
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"), (WString{0xD83D, 0xDE00, 0xDBFF, 0xDFFF}));
}

TEST(Unicode, KeepsAByteOrderMark) { EXPECT_EQ(Utf8ToWide("\xEF\xBB\xBF"), CMDPREDICT_WIDE("\uFEFF")); }

TEST(Unicode, RefusesWhatIsNotUtf8) {
  const struct {
    const char* name;
    const char* bytes;
  } cases[] = {{"overlong, 2 bytes", "\xC0\xAF"},       {"overlong, 2 bytes, largest", "\xC1\xBF"},
               {"overlong, 3 bytes", "\xE0\x80\xAF"},   {"overlong, 4 bytes", "\xF0\x80\x80\xAF"},
               {"first surrogate", "\xED\xA0\x80"},     {"last surrogate", "\xED\xBF\xBF"},
               {"above U+10FFFF", "\xF4\x90\x80\x80"},  {"largest 4-byte form", "\xF7\xBF\xBF\xBF"},
               {"5-byte form", "\xF8\x88\x80\x80\x80"}, {"truncated 2 bytes", "a\xC3"},
               {"truncated 3 bytes", "\xE4\xB8"},       {"truncated 4 bytes", "\xF0\x9F\x98"},
               {"stray continuation", "\x80"},          {"lead without continuation", "\xC3\x28"},
               {"never a UTF-8 byte", "\xFF"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT([&c] { Utf8ToWide(c.bytes); }, kBadConversion);
  }
}

TEST(Unicode, WritesEachUtf16UnitAsOneCodePointOfPathText) {
  EXPECT_EQ(WideToUtf8Path(kUnits), kUnitsAsPathText);
}

TEST(Unicode, ReadsPathTextBackIntoTheUnitsItWasMadeFrom) {
  EXPECT_EQ(Utf8PathToWide(kUnitsAsPathText), kUnits);
}

TEST(Unicode, ReadsPathTextFromElsewhereAsUtf8) {
  EXPECT_EQ(Utf8PathToWide("\xC3\x9C\xF0\x9F\x98\x80"), (WString{0xDC, 0xD83D, 0xDE00}));
}

TEST(Unicode, RefusesTruncatedPathText) {
  EXPECT_THAT([] { Utf8PathToWide("a\xE4\xB8"); }, kBadConversion);
}

TEST(BstrStandIn, KeepsNullApartFromEmpty) {
  const _bstr_t null, empty(CMDPREDICT_WIDE(""));
  EXPECT_TRUE(!null && static_cast<const WChar*>(null) == nullptr);
  EXPECT_FALSE(!empty || static_cast<const WChar*>(empty) == nullptr || empty.length() != 0U);
}

TEST(BstrStandIn, SharesTheTextWithACopy) {
  const _bstr_t original(CMDPREDICT_WIDE("Drill")), copy = original;
  EXPECT_EQ(static_cast<const WChar*>(copy), static_cast<const WChar*>(original));
}

// Each text with its rank: a prefix comes first, and a surrogate pair before U+FFFF.
TEST(BstrStandIn, OrdersByCodeUnits) {
  const std::map<_bstr_t, int> ranks{{CMDPREDICT_WIDE("ab"), 2},
                                     {CMDPREDICT_WIDE("a"), 1},
                                     {CMDPREDICT_WIDE("B"), 0},
                                     {WString{0xD83D, 0xDE00}.c_str(), 3},
                                     {CMDPREDICT_WIDE("\uFFFF"), 4}};
  int rank = 0;
  for (const auto& [text, expected] : ranks) EXPECT_EQ(expected, rank++);
}

}  // namespace
}  // namespace cmdpredict
