#include "evaluation.h"

#include <gtest/gtest.h>

namespace cmdpredict::cli {
namespace {

TEST(Evaluation, CountsHitsAtEachCutoffAndTheReciprocalRank) {
  Evaluation evaluation;
  evaluation.AddEvent(7, {7, 1, 2});           // position 0
  evaluation.AddEvent(5, {1, 2, 3, 4, 5});     // position 4
  evaluation.AddEvent(9, {1, 2, 3});           // not predicted
  evaluation.AddEvent(0, {0, 0, 0});           // command 0 never hits
  EXPECT_EQ(evaluation.Events(), 4U);
  EXPECT_EQ(evaluation.Hits(0), 1U);  // @1
  EXPECT_EQ(evaluation.Hits(1), 1U);  // @3
  EXPECT_EQ(evaluation.Hits(2), 2U);  // @5
  EXPECT_EQ(evaluation.Hits(3), 2U);  // @10
  EXPECT_DOUBLE_EQ(evaluation.MeanReciprocalRank(), (1.0 + 0.2) / 4.0);
}

TEST(Evaluation, SummaryJsonHasTheEventsAndHits) {
  Evaluation evaluation;
  evaluation.AddEvent(3, {3});
  evaluation.AddLatency(2.0);
  const std::string json = SummaryJson(evaluation, ReplayTotals{1, 0.5, 1, "m"});
  EXPECT_EQ(json.rfind("{\"summary\":{\"events\":1,\"hits\":{\"1\":1,\"3\":1,\"5\":1,\"10\":1}", 0), 0U) << json;
  EXPECT_EQ(json.back(), '\n');
}

TEST(Evaluation, LatencyPercentilesComeFromTheRecordedTimes) {
  Evaluation evaluation;
  for (int i = 1; i <= 100; ++i) evaluation.AddLatency(i);
  EXPECT_EQ(evaluation.LatencyPercentile(0.5), 51.0);
  EXPECT_EQ(evaluation.LatencyPercentile(0.99), 99.0);
}

}  // namespace
}  // namespace cmdpredict::cli
