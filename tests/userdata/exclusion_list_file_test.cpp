#include "userdata/exclusion_list_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace cmdpredict {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

CommandFlags TrainingExclusions(std::string_view text) {
  CommandFlags excluded;
  ReadTrainingExclusionList(text, excluded);
  return excluded;
}

CommandFlags UserExclusions(std::string_view text) {
  CommandFlags userExcluded;
  ReadUserExclusionList(text, userExcluded);
  return userExcluded;
}

// --- The list of commands excluded from training ---------------------------------------------------

TEST(TrainingExclusionList, ExcludesEveryNumberOfEveryLine) {
  EXPECT_THAT(TrainingExclusions("5,6\n7"), ElementsAre(Pair(5, true), Pair(6, true), Pair(7, true)));
  EXPECT_THAT(TrainingExclusions("5,6,-7\n"), ElementsAre(Pair(-7, true), Pair(5, true), Pair(6, true)));
}

TEST(TrainingExclusionList, ReadsCrLfLinesLikeLfLines) {
  EXPECT_EQ(TrainingExclusions("5,6\r\n7\r\n"), TrainingExclusions("5,6\n7\n"));
  EXPECT_THAT(TrainingExclusions("5,\r\n7,\r\n"), ElementsAre(Pair(5, true), Pair(7, true)));
}

TEST(TrainingExclusionList, StopsALineAtTwoCommasInARow) {
  EXPECT_THAT(TrainingExclusions("5,,6\n8"), ElementsAre(Pair(5, true), Pair(8, true)));
}

TEST(TrainingExclusionList, ReadsNumbersSeparatedByWhiteSpaceOnly) {
  EXPECT_THAT(TrainingExclusions("5 6"), ElementsAre(Pair(5, true), Pair(6, true)));
  EXPECT_THAT(TrainingExclusions(" \t5,\v\f 6"), ElementsAre(Pair(5, true), Pair(6, true)));
}

TEST(TrainingExclusionList, StopsALineAtACommaAfterWhiteSpace) {
  EXPECT_THAT(TrainingExclusions("5 ,6\n9"), ElementsAre(Pair(5, true), Pair(9, true)));
}

TEST(TrainingExclusionList, StopsALineAtALetterAndGoesOnWithTheNext) {
  EXPECT_THAT(TrainingExclusions("5,x,6\n9"), ElementsAre(Pair(5, true), Pair(9, true)));
  EXPECT_THAT(TrainingExclusions("5x6"), ElementsAre(Pair(5, true)));
  EXPECT_THAT(TrainingExclusions("0x10"), ElementsAre(Pair(0, true)));
}

TEST(TrainingExclusionList, GoesOnAfterAnEmptyLine) {
  EXPECT_THAT(TrainingExclusions("5\n\n6"), ElementsAre(Pair(5, true), Pair(6, true)));
}

TEST(TrainingExclusionList, TakesASignAsTheStartOfTheNextNumber) {
  EXPECT_THAT(TrainingExclusions("5-6"), ElementsAre(Pair(-6, true), Pair(5, true)));
  EXPECT_THAT(TrainingExclusions("+4"), ElementsAre(Pair(4, true)));
  EXPECT_THAT(TrainingExclusions("007,-0"), ElementsAre(Pair(0, true), Pair(7, true)));
}

TEST(TrainingExclusionList, StopsALineAtASignWithoutDigits) {
  EXPECT_THAT(TrainingExclusions("5,+,6\n-\n7,- 8"), ElementsAre(Pair(5, true), Pair(7, true)));
}

TEST(TrainingExclusionList, AcceptsTheWholeSigned32BitRange) {
  EXPECT_THAT(TrainingExclusions("-2147483648,2147483647"),
              ElementsAre(Pair(-2147483647 - 1, true), Pair(2147483647, true)));
}

TEST(TrainingExclusionList, StopsALineAtANumberOutsideTheSigned32BitRange) {
  EXPECT_THAT(TrainingExclusions("5,2147483648,6\n7"), ElementsAre(Pair(5, true), Pair(7, true)));
  EXPECT_THAT(TrainingExclusions("-2147483649,6\n7"), ElementsAre(Pair(7, true)));
  EXPECT_THAT(TrainingExclusions("4294967301,6"), IsEmpty());
  EXPECT_THAT(TrainingExclusions("123456789012345678901234567890,6\n7"), ElementsAre(Pair(7, true)));
}

TEST(TrainingExclusionList, TreatsBytesOutsideAsciiAndZeroBytesAsText) {
  EXPECT_THAT(TrainingExclusions("5,\xA0"
                                 "6\n7"),
              ElementsAre(Pair(5, true), Pair(7, true)));
  EXPECT_THAT(TrainingExclusions(std::string_view("5\0"
                                                  "6",
                                                  3)),
              ElementsAre(Pair(5, true)));
}

TEST(TrainingExclusionList, KeepsTheEntriesItHad) {
  CommandFlags excluded{{1, true}, {5, false}};
  ReadTrainingExclusionList("5", excluded);
  EXPECT_THAT(excluded, ElementsAre(Pair(1, true), Pair(5, true)));
}

// --- The user-excluded list -------------------------------------------------------------------------

TEST(UserExclusionList, ReadsIdentifierFlagPairs) {
  EXPECT_THAT(UserExclusions("5,1,9,0,-7,1"), ElementsAre(Pair(-7, true), Pair(5, true), Pair(9, false)));
}

TEST(UserExclusionList, TakesEveryNonzeroFlagAsExcluded) {
  EXPECT_THAT(UserExclusions("5,2,6,-1,7,0"), ElementsAre(Pair(5, true), Pair(6, true), Pair(7, false)));
}

TEST(UserExclusionList, ContinuesAPairWhoseIdentifierEndsTheLineWithAComma) {
  EXPECT_THAT(UserExclusions("10,1,20,\n0"), ElementsAre(Pair(10, true), Pair(20, false)));
  EXPECT_THAT(UserExclusions("10,1,20,\r\n0\r\n"), ElementsAre(Pair(10, true), Pair(20, false)));
}

TEST(UserExclusionList, DropsAnIdentifierThatEndsTheLineWithoutAComma) {
  // The 0 on the second line is taken as an identifier and dropped too; were it taken as 20's flag,
  // or kept as a pending identifier, 20 or 0 would appear.
  EXPECT_THAT(UserExclusions("10,1,20\n0\n30,1"), ElementsAre(Pair(10, true), Pair(30, true)));
}

TEST(UserExclusionList, DropsALineWhoseIdentifierIsNotFollowedDirectlyByAComma) {
  EXPECT_THAT(UserExclusions("10 1,20,1"), IsEmpty());
  EXPECT_THAT(UserExclusions("10 ,1\n30,1"), ElementsAre(Pair(30, true)));
}

TEST(UserExclusionList, SkipsASecondCommaAfterAnIdentifier) {
  EXPECT_THAT(UserExclusions("10,,1"), ElementsAre(Pair(10, true)));
  EXPECT_THAT(UserExclusions("10,,,1"), IsEmpty());
}

TEST(UserExclusionList, StopsALineAtTwoCommasAfterAFlag) {
  EXPECT_THAT(UserExclusions("10,1,,20,1\n30,0"), ElementsAre(Pair(10, true), Pair(30, false)));
}

TEST(UserExclusionList, ExpectsTheFlagOnTheNextLineThatReadsANumber) {
  EXPECT_THAT(UserExclusions("10,\n\nx\n0"), ElementsAre(Pair(10, false)));
}

TEST(UserExclusionList, DropsAnIdentifierWithoutAFlagAtTheEnd) {
  EXPECT_THAT(UserExclusions("10,1,20,"), ElementsAre(Pair(10, true)));
}

TEST(UserExclusionList, StopsALineAtANumberOutsideTheSigned32BitRange) {
  EXPECT_THAT(UserExclusions("2147483648,1\n5,1"), ElementsAre(Pair(5, true)));
  EXPECT_THAT(UserExclusions("-2147483648,1"), ElementsAre(Pair(-2147483647 - 1, true)));
}

TEST(UserExclusionList, LetsALaterPairOverrideAnEarlierOneAndKeepsOtherEntries) {
  CommandFlags userExcluded{{3, true}};
  ReadUserExclusionList("5,1,5,0", userExcluded);
  EXPECT_THAT(userExcluded, ElementsAre(Pair(3, true), Pair(5, false)));
}

// --- Writing the user-excluded list -----------------------------------------------------------------

TEST(UserExclusionListText, IsOneLineOfAscendingPairsWithoutALineEnd) {
  EXPECT_EQ(FormatUserExclusionList({{42, true}, {7, true}}), "7,1,42,1");
  EXPECT_EQ(FormatUserExclusionList({{9, false}, {-7, true}, {5, true}}), "-7,1,5,1,9,0");
}

TEST(UserExclusionListText, IsEmptyForAnEmptyList) { EXPECT_EQ(FormatUserExclusionList({}), ""); }

TEST(UserExclusionListText, ReadsBackAsTheSameList) {
  const CommandFlags commands{{-2147483647 - 1, true}, {0, false}, {12, true}, {2147483647, false}};
  EXPECT_EQ(FormatUserExclusionList(commands), "-2147483648,1,0,0,12,1,2147483647,0");
  EXPECT_EQ(UserExclusions(FormatUserExclusionList(commands)), commands);
}

}  // namespace
}  // namespace cmdpredict
