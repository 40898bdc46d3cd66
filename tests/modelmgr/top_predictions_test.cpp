#include "modelmgr/top_predictions.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <tuple>

namespace {

using Quenmar::Intel::PredictionMap;

TEST(TopPredictions, RanksByProbabilityThenTextKeepsTiesAndChoosesAgainPastExcludedCommands) {
  const PredictionMap k579{{"5", 0.5}, {"7", 0.3}, {"9", 0.2}};
  // clang-format off
  const std::tuple<const char*, PredictionMap, int, std::map<LONG, bool>, RankedCommands> cases[] = {
      {"best first", k579, 2, {}, {{5, 0.5}, {7, 0.3}}},
      {"count 0 takes all", k579, 0, {}, {{5, 0.5}, {7, 0.3}, {9, 0.2}}},
      {"count -1 takes all", k579, -1, {}, {{5, 0.5}, {7, 0.3}, {9, 0.2}}},
      {"a false entry excludes nothing", k579, 2, {{5, false}}, {{5, 0.5}, {7, 0.3}}},
      {"tie, 4 before 3", {{"3", 0.4}, {"4", 0.4}, {"5", 0.39999999999999997}}, 1, {}, {{4, 0.4}, {3, 0.4}}},
      {"bytewise ties, 9 before 10", {{"10", 0.25}, {"9", 0.25}, {"100", 0.25}}, 0, {},
       {{9, 0.25}, {100, 0.25}, {10, 0.25}}},
      {"second pass", k579, 2, {{5, true}}, {{7, 0.3}, {9, 0.2}}},
      {"second pass takes count + 2 x excluded, uncut",
       {{"1", 0.3}, {"2", 0.2}, {"3", 0.15}, {"4", 0.12}, {"5", 0.1}, {"6", 0.07}, {"7", 0.04}}, 2,
       {{1, true}, {2, true}}, {{3, 0.15}, {4, 0.12}, {5, 0.1}, {6, 0.07}}},
      {"no second pass when the ranking is short", {{"5", 0.6}, {"7", 0.4}}, 3, {{5, true}}, {{7, 0.4}}},
      {"texts read as stoi", {{" 7", 0.4}, {"+8", 0.3}, {"08", 0.2}, {"9x", 0.1}, {"-5", 0.05},
       {"2147483647", 0.02}, {"-2147483648", 0.01}}, 0, {},
       {{7, 0.4}, {8, 0.3}, {8, 0.2}, {9, 0.1}, {-5, 0.05}, {INT_MAX, 0.02}, {INT_MIN, 0.01}}},
      {"non-numbers skipped", {{"", 0.2}, {"x", 0.2}, {"99999999999", 0.2}, {"2147483648", 0.1},
       {"-2147483649", 0.1}, {"-", 0.05}, {" ", 0.05}, {"7", 0.1}}, 0, {}, {{7, 0.1}}},
  };
  // clang-format on
  for (const auto& [name, predictions, count, excluded, best] : cases) {
    RankedCommands ranked{{42, 1.0}}, expected{{42, 1.0}};  // appended to, also by a second pass
    expected.insert(expected.end(), best.begin(), best.end());
    SelectTopPredictions(predictions, count, ranked, excluded);
    EXPECT_EQ(ranked, expected) << name;
  }
}

}  // namespace
