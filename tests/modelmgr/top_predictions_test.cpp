#include "modelmgr/top_predictions.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <vector>

namespace {

using Quenmar::Intel::PredictionMap;
using Excluded = std::map<LONG, bool>;

struct Row {
  const char* name;
  PredictionMap predictions;
  int count;
  Excluded excluded;
  RankedCommands selected;  // what is appended to the list
};

void ExpectSelected(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RankedCommands ranked{{42, 1.0}}, expected{{42, 1.0}};
    expected.insert(expected.end(), row.selected.begin(), row.selected.end());
    SelectTopPredictions(row.predictions, row.count, ranked, row.excluded);
    EXPECT_EQ(ranked, expected);
  }
}

const PredictionMap k579{{"5", 0.5}, {"7", 0.3}, {"9", 0.2}};
const RankedCommands kAll579{{5, 0.5}, {7, 0.3}, {9, 0.2}};

TEST(TopPredictions, TakesTheMostProbableThenTheGreatestTextAndEveryTieOfTheLast) {
  const double q = 0.25;
  ExpectSelected(
      {{"best first", k579, 2, {}, {{5, 0.5}, {7, 0.3}}},
       {"count 0 takes all", k579, 0, {}, kAll579},
       {"count -1 takes all", k579, -1, {}, kAll579},
       {"tie, 4 before 3", {{"3", 0.4}, {"4", 0.4}, {"5", 0.39999999999999997}}, 1, {}, {{4, 0.4}, {3, 0.4}}},
       {"bytewise, 9 before 10", {{"10", q}, {"9", q}, {"100", q}}, 0, {}, {{9, q}, {100, q}, {10, q}}}});
}

// The list is appended to, also by a second pass.
TEST(TopPredictions, ChoosesAgainFromCountPlusTwiceTheExcludedWhenExcludedCommandsTookPlaces) {
  const PredictionMap seven{{"1", 0.3}, {"2", 0.2},  {"3", 0.15}, {"4", 0.12},
                            {"5", 0.1}, {"6", 0.07}, {"7", 0.04}};
  ExpectSelected({{"a false entry excludes nothing", k579, 2, {{5, false}}, {{5, 0.5}, {7, 0.3}}},
                  {"second pass", k579, 2, {{5, true}}, {{7, 0.3}, {9, 0.2}}},
                  {"uncut", seven, 2, {{1, true}, {2, true}}, {{3, 0.15}, {4, 0.12}, {5, 0.1}, {6, 0.07}}},
                  {"not when the ranking is short", {{"5", 0.6}, {"7", 0.4}}, 3, {{5, true}}, {{7, 0.4}}}});
}

TEST(TopPredictions, ReadsTextsAsStoiDoesAndSkipsTheOthers) {
  const PredictionMap numbers{{" 7", 0.4},  {"+8", 0.3},          {"08", 0.2},          {"9x", 0.1},
                              {"-5", 0.05}, {"2147483647", 0.02}, {"-2147483648", 0.01}};
  const PredictionMap others{
      {"", 0.2},   {"x", 0.2}, {"99999999999", 0.2}, {"2147483648", 0.1}, {"-2147483649", 0.1}, {"-", 0.05},
      {" ", 0.05}, {"7", 0.1}};
  const RankedCommands read{{7, 0.4},   {8, 0.3},        {8, 0.2},       {9, 0.1},
                            {-5, 0.05}, {INT_MAX, 0.02}, {INT_MIN, 0.01}};
  ExpectSelected(
      {{"numbers", numbers, 0, {}, read}, {"no numbers or beyond int", others, 0, {}, {{7, 0.1}}}});
}

}  // namespace
