#include "support/files/text.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace cmdpredict {
namespace {

using ::testing::ElementsAre;

TEST(FormatText, FormatsLikePrintf) {
  EXPECT_EQ(FormatText("%s.%s", "E1", "ContextTree"), "E1.ContextTree");
  EXPECT_EQ(FormatText("%s_%d%s", "E1.ContextTree", -5, ".backup"), "E1.ContextTree_-5.backup");
  EXPECT_EQ(FormatText("spm_%d", 2147483647), "spm_2147483647");
}

TEST(FormatText, MeasuresBeforeFormattingSoLongTextsAreWhole) {
  const std::string longText(5000, 'x');
  EXPECT_EQ(FormatText("<%s>", longText.c_str()), "<" + longText + ">");
}

TEST(FormatText, GivesTheEmptyTextForAnEmptyFormat) { EXPECT_EQ(FormatText("%s", ""), ""); }

TEST(EndsWith, ComparesTheLastBytesExactly) {
  EXPECT_TRUE(EndsWith("E1.ContextTree", ".ContextTree"));
  EXPECT_TRUE(EndsWith(".ContextTree", ".ContextTree"));
  EXPECT_FALSE(EndsWith("E1.contexttree", ".ContextTree"));
  EXPECT_FALSE(EndsWith("E1.ContextTree.x", ".ContextTree"));
  EXPECT_FALSE(EndsWith("Tree", ".ContextTree"));
  EXPECT_TRUE(EndsWith(std::string("a\0b", 3), std::string("\0b", 2)));
}

TEST(EndsWith, AcceptsAnEmptySuffixForAnyText) {
  EXPECT_TRUE(EndsWith("abc", ""));
  EXPECT_TRUE(EndsWith("", ""));
}

// The pieces of one split into an empty list, checking the returned count against them.
std::vector<std::string> Split(const std::string& text, const std::string& delimiters) {
  std::vector<std::string> pieces;
  const int count = SplitText(text, delimiters, pieces);
  EXPECT_EQ(count, static_cast<int>(pieces.size()));
  return pieces;
}

TEST(SplitText, KeepsEmptyPiecesBetweenDelimiters) { EXPECT_THAT(Split("a,,b", ","), ElementsAre("a", "", "b")); }

TEST(SplitText, AddsNoPieceAfterATrailingDelimiter) {
  EXPECT_THAT(Split("a,b,", ","), ElementsAre("a", "b"));
  EXPECT_THAT(Split(",", ","), ElementsAre(""));
}

TEST(SplitText, KeepsAnEmptyPieceBeforeALeadingDelimiter) { EXPECT_THAT(Split(",a", ","), ElementsAre("", "a")); }

TEST(SplitText, GivesNoPieceForAnEmptyText) { EXPECT_THAT(Split("", ","), ElementsAre()); }

TEST(SplitText, GivesTheWholeTextWithoutADelimiterInIt) { EXPECT_THAT(Split("1.0", ","), ElementsAre("1.0")); }

TEST(SplitText, SplitsOnlyAtTheFirstDelimiterCharacter) {
  EXPECT_THAT(Split("1.2,3.4", ".,"), ElementsAre("1", "2,3", "4"));
}

TEST(SplitText, StopsAtTheFirstZeroByte) {
  EXPECT_THAT(Split(std::string("a,b\0,c", 6), ","), ElementsAre("a", "b"));
}

TEST(SplitText, AppendsToTheListAndCountsWhatWasThere) {
  std::vector<std::string> pieces{"old"};
  EXPECT_EQ(SplitText("x,y", ",", pieces), 3);
  EXPECT_THAT(pieces, ElementsAre("old", "x", "y"));
}

TEST(SplitText, DoesNothingWithoutDelimiters) {
  std::vector<std::string> pieces{"old"};
  EXPECT_EQ(SplitText("x,y", "", pieces), 0);
  EXPECT_THAT(pieces, ElementsAre("old"));
}

}  // namespace
}  // namespace cmdpredict
