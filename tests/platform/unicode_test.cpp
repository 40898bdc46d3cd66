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

TEST(Unicode, ConvertsUtf8StrictlyAndEachUtf16UnitToOneCodePoint) {
  EXPECT_EQ(Utf8ToWide("E1\xC3\x89\xE4\xB8\xAD\xEF\xBF\xBF"), CMDPREDICT_WIDE("E1\u00C9\u4E2D\uFFFF"));
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"), (WString{0xD83D, 0xDE00, 0xDBFF, 0xDFFF}));
  EXPECT_EQ(Utf8ToWide("\xEF\xBB\xBF"), CMDPREDICT_WIDE("\uFEFF"));  // a byte-order mark is kept
  // Overlong forms, encoded surrogates, code points above U+10FFFF, truncated and stray bytes.
  for (const char* utf8 : {"\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80",
                           "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80\x80",
                           "a\xC3", "\xE4\xB8", "\xF0\x9F\x98", "\x80", "\xC3\x28", "\xFF"}) {
    EXPECT_THAT([utf8] { Utf8ToWide(utf8); },
                ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")))
        << ::testing::PrintToString(std::string(utf8));
  }
  // Lone surrogate units included.
  EXPECT_EQ(WideToUtf8Path(WString{u'a', 0xC9, 0x4E2D, 0xD800, 0xD83D, 0xDE00, 0xDFFF}),
            "a\xC3\x89\xE4\xB8\xAD\xED\xA0\x80\xED\xA0\xBD\xED\xB8\x80\xED\xBF\xBF");
}

TEST(Unicode, ReadsPathTextBackIntoTheUnitsItWasMadeFrom) {
  const WString units{u'a', 0xC9, 0x4E2D, 0xD800, 0xD83D, 0xDE00, 0xDFFF};
  EXPECT_EQ(Utf8PathToWide(WideToUtf8Path(units)), units);
  EXPECT_EQ(Utf8PathToWide("\xC3\x9C\xF0\x9F\x98\x80"), (WString{0xDC, 0xD83D, 0xDE00}));
  EXPECT_THAT([] { Utf8PathToWide("a\xE4\xB8"); },
              ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")));
}

TEST(BstrStandIn, KeepsNullApartFromEmptySharesCopiesAndOrdersByCodeUnits) {
  const _bstr_t null, empty(CMDPREDICT_WIDE("")), original(CMDPREDICT_WIDE("Drill")), copy = original;
  EXPECT_TRUE(!null && static_cast<const WChar*>(null) == nullptr);
  EXPECT_FALSE(!empty || static_cast<const WChar*>(empty) == nullptr || empty.length() != 0U);
  EXPECT_EQ(static_cast<const WChar*>(copy), static_cast<const WChar*>(original));
  // Each text with its rank: a prefix comes first, and a surrogate pair before U+FFFF.
  const std::map<_bstr_t, int> ranks{
      {CMDPREDICT_WIDE("ab"), 2}, {CMDPREDICT_WIDE("a"), 1}, {CMDPREDICT_WIDE("B"), 0}, {WString{0xD83D, 0xDE00}.c_str(), 3}, {CMDPREDICT_WIDE("\uFFFF"), 4}};
  int rank = 0;
  for (const auto& [text, expected] : ranks) EXPECT_EQ(expected, rank++);
}

}  // namespace
}  // namespace cmdpredict
