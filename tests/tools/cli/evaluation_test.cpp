#include "evaluation.h"

#include <gtest/gtest.h>

#include "json_output.h"

namespace cmdpredict::cli {
namespace {

// Baselines that learnt the commands, one time step each.
Baselines LearntFrom(std::initializer_list<LONG> commands) {
  Baselines baselines;
  std::uint64_t time = 0;
  for (const LONG command : commands) baselines.Learn(command, ++time);
  return baselines;
}

TEST(Scores, CountsAHitAtEveryCutoffFromItsPositionOn) {
  Scores scores;
  scores.Add(7, {7, 1, 2});                        // position 0
  scores.Add(5, {1, 2, 3, 4, 5});                  // position 4
  scores.Add(9, {1, 2, 3});                        // not ranked
  scores.Add(3, {1, 2, 4, 5, 6, 7, 8, 9, 10, 3});  // position 9
  EXPECT_EQ(scores.Events(), 4U);
  EXPECT_EQ((std::array<std::size_t, 4>{scores.Hits(0), scores.Hits(1), scores.Hits(2), scores.Hits(3)}),
            (std::array<std::size_t, 4>{1, 1, 2, 3}));
  EXPECT_EQ(scores.HitRate(3), 3.0 / 4.0);
}

TEST(Scores, NeverCountsCommandZeroAsAHit) {
  Scores scores;
  scores.Add(0, {0, 0, 0});
  EXPECT_EQ(scores.Events(), 1U);
  EXPECT_EQ(scores.Hits(3), 0U);
}

TEST(Scores, ComputesTheMeanReciprocalRankExactly) {
  Scores scores;
  scores.Add(7, {7});
  scores.Add(5, {1, 2, 3, 4, 5});
  scores.Add(9, {});
  // (2520 + 504) / 2520 / 3, divided once.
  EXPECT_EQ(scores.MeanReciprocalRank(), 3024.0 / (2520.0 * 3.0));
}

TEST(Baselines, RankTheMostRecentDistinctCommandsFirst) {
  EXPECT_EQ(LearntFrom({1, 2, 3, 2, 2}).Recent(), (RankedPositions{2, 3, 1}));
}

TEST(Baselines, RankAtMostTenRecentCommands) {
  EXPECT_EQ(LearntFrom({1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}).Recent(),
            (RankedPositions{19, 18, 17, 16, 15, 14, 13, 12, 11, 10}));
}

TEST(Baselines, RankTheMostFrequentCommandsWithTheLatestFirstAmongEqualCounts) {
  EXPECT_EQ(LearntFrom({5, 6, 7, 6, 5, 8}).Frequent(), (RankedPositions{5, 6, 8, 7}));
}

// After 1 came 2 once, 3 twice, 4 once (latest): 3, then 4 before 2. (5 came before 1.)
TEST(Baselines, RankTheSuccessorsOfTheLastCommandByTransitionCount) {
  EXPECT_EQ(LearntFrom({5, 1, 2, 1, 3, 1, 3, 1, 4, 4, 1}).Transition(), (RankedPositions{3, 4, 2}));
}

TEST(Baselines, RankNoSuccessorBeforeACommandHasBeenFollowed) {
  EXPECT_EQ(LearntFrom({}).Transition(), RankedPositions{});
  EXPECT_EQ(LearntFrom({1, 2, 9}).Transition(), RankedPositions{});
}

TEST(Evaluation, ScoresOnlyEventsThatDoNotRepeatTheirEnvironmentsLastCommandAsNonRepeat) {
  Evaluation evaluation(2);
  evaluation.AddEvent(0, 1, {});
  evaluation.AddEvent(1, 1, {});   // another environment: not a repeat
  evaluation.AddEvent(0, 1, {1});  // a repeat, a library hit
  evaluation.AddEvent(0, 2, {2});  // not a repeat, a library hit
  const ScoreTable& total = evaluation.Total();
  EXPECT_EQ(total.all[kLibrary].Events(), 4U);
  EXPECT_EQ(total.nonRepeat[kLibrary].Events(), 3U);
  EXPECT_EQ(total.all[kLibrary].Hits(0), 2U);
  EXPECT_EQ(total.nonRepeat[kLibrary].Hits(0), 1U);
}

TEST(Evaluation, ScoresTheBaselinesOfEachEnvironmentApart) {
  Evaluation evaluation(2);
  evaluation.AddEvent(0, 1, {});
  evaluation.AddEvent(1, 1, {});  // environment 1 has seen nothing yet
  evaluation.AddEvent(0, 1, {});  // the recent baseline saw 1 in environment 0
  EXPECT_EQ(evaluation.Total().all[kRecent].Hits(0), 1U);
  EXPECT_EQ(evaluation.Environment(1).all[kRecent].Hits(3), 0U);
  EXPECT_EQ(evaluation.Environment(0).all[kFrequent].Events(), 2U);
}

TEST(Evaluation, ReportsLatencyPercentilesByNearestRankAndTheMaximum) {
  Evaluation evaluation(1);
  for (int i = 100; i >= 1; --i) evaluation.AddLatency(i);
  EXPECT_EQ(evaluation.LatencyPercentile(0.5), 51.0);
  EXPECT_EQ(evaluation.LatencyPercentile(0.99), 99.0);
  EXPECT_EQ(evaluation.LatencyMax(), 100.0);
}

TEST(JsonOutput, WritesDoublesInTheShortestFormThatReadsBack) {
  std::string out;
  for (const double value : {1.0, 0.0, 7.0 / 9.0, 0.1 + 0.2, 1e-20}) {
    AppendJsonDouble(out, value);
    out += ' ';
  }
  EXPECT_EQ(out, "1.0 0.0 0.7777777777777778 0.30000000000000004 1e-20 ");
}

TEST(JsonOutput, EscapesQuotesBackslashesAndControlCharactersOnly) {
  std::string out;
  AppendJsonString(out, std::string("a\"b\\c\n\t\x01\x7F\xC3\x89", 11));
  EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\t\\u0001\x7F\xC3\x89\"");
}

}  // namespace
}  // namespace cmdpredict::cli
