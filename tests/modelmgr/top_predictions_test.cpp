#include "modelmgr/top_predictions.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Quenmar::Intel::PredictionMap;

const PredictionMap kFiveSevenNine{{"5", 0.5}, {"7", 0.3}, {"9", 0.2}};
// Eight commands 1 to 8, each less likely than the one before.
const PredictionMap kOneToEight{{"1", 0.3}, {"2", 0.2},  {"3", 0.15}, {"4", 0.12},
                                {"5", 0.1}, {"6", 0.07}, {"7", 0.04}, {"8", 0.02}};

class TopPredictions : public ::testing::Test {
 protected:
  RankedCommands Select(const PredictionMap& predictions, int count) {
    RankedCommands ranked;
    SelectTopPredictions(predictions, count, ranked, excluded);
    return ranked;
  }

  std::map<LONG, bool> excluded;
};

TEST_F(TopPredictions, TakesTheMostLikelyCommandsBestFirst) {
  EXPECT_EQ(Select(kFiveSevenNine, 2), (RankedCommands{{5, 0.5}, {7, 0.3}}));
  EXPECT_EQ(Select(kFiveSevenNine, 3), (RankedCommands{{5, 0.5}, {7, 0.3}, {9, 0.2}}));
}

TEST_F(TopPredictions, TakesEveryCommandWhenAskedForMoreThanThereAre) {
  EXPECT_EQ(Select(kFiveSevenNine, 10), (RankedCommands{{5, 0.5}, {7, 0.3}, {9, 0.2}}));
}

TEST_F(TopPredictions, TakesEveryCommandWhenTheCountIsZeroOrLess) {
  EXPECT_EQ(Select(kFiveSevenNine, 0), (RankedCommands{{5, 0.5}, {7, 0.3}, {9, 0.2}}));
  EXPECT_EQ(Select(kFiveSevenNine, -1), (RankedCommands{{5, 0.5}, {7, 0.3}, {9, 0.2}}));
}

TEST_F(TopPredictions, YieldsNothingForNoPredictions) { EXPECT_TRUE(Select({}, 3).empty()); }

TEST_F(TopPredictions, KeepsCommandsTiedWithTheLastOneTakenTheGreaterTextFirst) {
  const PredictionMap tied{{"3", 0.4}, {"4", 0.4}, {"5", 0.2}};
  EXPECT_EQ(Select(tied, 1), (RankedCommands{{4, 0.4}, {3, 0.4}}));
}

TEST_F(TopPredictions, KeepsEveryCommandTiedAtTheBoundary) {
  const PredictionMap tied{{"1", 0.4}, {"2", 0.15}, {"3", 0.15}, {"4", 0.15}, {"5", 0.15}};
  EXPECT_EQ(Select(tied, 2), (RankedCommands{{1, 0.4}, {5, 0.15}, {4, 0.15}, {3, 0.15}, {2, 0.15}}));
}

TEST_F(TopPredictions, ComparesTiedTextsBytewiseSoNineRanksBeforeTen) {
  const PredictionMap tied{{"10", 0.25}, {"9", 0.25}, {"100", 0.25}, {"11", 0.25}};
  EXPECT_EQ(Select(tied, 0), (RankedCommands{{9, 0.25}, {11, 0.25}, {100, 0.25}, {10, 0.25}}));
}

TEST_F(TopPredictions, DoesNotKeepCommandsBelowTheLastOneTaken) {
  const PredictionMap close{{"1", 0.5}, {"2", 0.25}, {"3", 0.2499999999999999}};
  EXPECT_EQ(Select(close, 2), (RankedCommands{{1, 0.5}, {2, 0.25}}));
}

TEST_F(TopPredictions, ChoosesFromADeeperRankingWhenAnExcludedCommandTookAPlace) {
  excluded[5] = true;
  EXPECT_EQ(Select(kFiveSevenNine, 2), (RankedCommands{{7, 0.3}, {9, 0.2}}));
}

TEST_F(TopPredictions, DeepensTheRankingByTwiceTheNumberExcludedAndDoesNotCutTheResult) {
  excluded[1] = true;
  excluded[2] = true;
  // Nothing kept of the best 2: the choice is made anew from the best 2 + 2 x 2 = 6.
  EXPECT_EQ(Select(kOneToEight, 2), (RankedCommands{{3, 0.15}, {4, 0.12}, {5, 0.1}, {6, 0.07}}));
}

TEST_F(TopPredictions, CountsOnlyExcludedCommandsOfTheFirstChoiceToDeepenTheRanking) {
  excluded[2] = true;
  excluded[5] = true;  // not among the best 3, so it does not deepen the ranking
  EXPECT_EQ(Select(kOneToEight, 3), (RankedCommands{{1, 0.3}, {3, 0.15}, {4, 0.12}}));
}

TEST_F(TopPredictions, MayEndWithFewerThanTheCountAfterTheDeeperChoice) {
  excluded[1] = true;
  excluded[2] = true;
  excluded[3] = true;
  const PredictionMap four{{"1", 0.4}, {"2", 0.3}, {"3", 0.2}, {"4", 0.1}};
  EXPECT_EQ(Select(four, 3), (RankedCommands{{4, 0.1}}));
}

TEST_F(TopPredictions, DoesNotChooseAgainWhenThereWereFewerPredictionsThanTheCount) {
  excluded[5] = true;
  const PredictionMap two{{"5", 0.6}, {"7", 0.4}};
  EXPECT_EQ(Select(two, 3), (RankedCommands{{7, 0.4}}));
}

TEST_F(TopPredictions, DoesNotChooseAgainWhenTiesLeftEnoughCommands) {
  excluded[9] = true;
  const PredictionMap tied{{"3", 0.1}, {"5", 0.4}, {"7", 0.3}, {"9", 0.3}};
  // The best 2 are 5 and the tied 9 and 7; without 9 the count is still met, so 3 is not reached.
  EXPECT_EQ(Select(tied, 2), (RankedCommands{{5, 0.4}, {7, 0.3}}));
}

TEST_F(TopPredictions, LeavesOutExcludedCommandsWhenTakingAll) {
  excluded[7] = true;
  EXPECT_EQ(Select(kFiveSevenNine, 0), (RankedCommands{{5, 0.5}, {9, 0.2}}));
}

TEST_F(TopPredictions, KeepsCommandsThatTheExclusionMapHoldsAsFalse) {
  excluded[5] = false;
  EXPECT_EQ(Select(kFiveSevenNine, 2), (RankedCommands{{5, 0.5}, {7, 0.3}}));
}

TEST_F(TopPredictions, AppendsToTheOutputList) {
  RankedCommands ranked{{42, 1.0}};
  SelectTopPredictions(kFiveSevenNine, 1, ranked, excluded);
  EXPECT_EQ(ranked, (RankedCommands{{42, 1.0}, {5, 0.5}}));
}

TEST_F(TopPredictions, KeepsWhatTheOutputListHeldWhenChoosingAgain) {
  excluded[5] = true;
  RankedCommands ranked{{42, 1.0}};
  SelectTopPredictions(kFiveSevenNine, 2, ranked, excluded);
  EXPECT_EQ(ranked, (RankedCommands{{42, 1.0}, {7, 0.3}, {9, 0.2}}));
}

TEST_F(TopPredictions, ReadsItemTextsAsStoiDoes) {
  const PredictionMap texts{{" 7", 0.4}, {"+8", 0.3}, {"08", 0.2}, {"9x", 0.1}, {"-5", 0.05}};
  EXPECT_EQ(Select(texts, 0), (RankedCommands{{7, 0.4}, {8, 0.3}, {8, 0.2}, {9, 0.1}, {-5, 0.05}}));
}

TEST_F(TopPredictions, ReadsTheWholeRangeOfInt) {
  const PredictionMap limits{{"2147483647", 0.5}, {"-2147483648", 0.25}};
  EXPECT_EQ(Select(limits, 0), (RankedCommands{{2147483647, 0.5}, {-2147483647 - 1, 0.25}}));
}

TEST_F(TopPredictions, SkipsTextsThatAreNotANumberInTheRangeOfInt) {
  const PredictionMap texts{
      {"", 0.2},   {"x", 0.2}, {"99999999999", 0.2}, {"2147483648", 0.1}, {"-2147483649", 0.1}, {"-", 0.05},
      {" ", 0.05}, {"7", 0.1}};
  EXPECT_EQ(Select(texts, 0), (RankedCommands{{7, 0.1}}));
}

TEST_F(TopPredictions, CountsSkippedTextsAmongTheBestButNeitherKeepsNorExcludesThem) {
  excluded[7] = true;
  const PredictionMap texts{{"x", 0.5}, {"7", 0.3}, {"9", 0.2}};
  // The best 2 are x (skipped) and 7 (excluded): one excluded, so the choice is made anew from 4.
  EXPECT_EQ(Select(texts, 2), (RankedCommands{{9, 0.2}}));
}

TEST_F(TopPredictions, ExcludesATextByTheIdentifierItReadsAs) {
  excluded[8] = true;
  const PredictionMap texts{{"08", 0.5}, {"+8", 0.3}, {"9", 0.2}};
  EXPECT_EQ(Select(texts, 0), (RankedCommands{{9, 0.2}}));
}

}  // namespace
