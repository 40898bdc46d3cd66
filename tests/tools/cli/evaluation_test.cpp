#include "evaluation.h"

#include <gtest/gtest.h>

#include "json_output.h"

namespace cmdpredict::cli {
namespace {

TEST(Evaluation, CountsHitsAtEachCutoffTheReciprocalRankAndLatencies) {
  Evaluation evaluation;
  evaluation.AddEvent(7, {7, 1, 2});        // position 0
  evaluation.AddEvent(5, {1, 2, 3, 4, 5});  // position 4
  evaluation.AddEvent(9, {1, 2, 3});        // not predicted
  evaluation.AddEvent(0, {0, 0, 0});        // command 0 never hits
  for (int i = 1; i <= 100; ++i) evaluation.AddLatency(i);
  EXPECT_EQ(evaluation.LatencyPercentile(0.5), 51.0);
  EXPECT_EQ(evaluation.LatencyPercentile(0.99), 99.0);
  EXPECT_DOUBLE_EQ(evaluation.MeanReciprocalRank(), (1.0 + 0.2) / 4.0);
  const std::string json = SummaryJson(evaluation, ReplayTotals{1, 0.5, 1, "m"});
  EXPECT_EQ(json.rfind("{\"summary\":{\"events\":4,\"hits\":{\"1\":1,\"3\":1,\"5\":2,\"10\":2}", 0), 0U) << json;
}

TEST(JsonOutput, WritesShortestRoundTripDoublesAndEscapedTexts) {
  std::string out;
  for (const double value : {1.0, 0.0, 7.0 / 9.0, 0.1 + 0.2, 1e-20}) {
    AppendJsonDouble(out, value);
    out += ' ';
  }
  AppendJsonString(out, std::string("a\"b\\c\n\t\x01\x7F\xC3\x89", 11));
  EXPECT_EQ(out, "1.0 0.0 0.7777777777777778 0.30000000000000004 1e-20 \"a\\\"b\\\\c\\n\\t\\u0001\x7F\xC3\x89\"");
}

}  // namespace
}  // namespace cmdpredict::cli
