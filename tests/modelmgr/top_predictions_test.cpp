#include "modelmgr/top_predictions.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace {

using Quenmar::Intel::PredictionMap;
using Excluded = std::map<LONG, bool>;

// What SelectTopPredictions appends to a list that holds one pair already.
RankedCommands Selected(const PredictionMap& predictions, int count, const Excluded& excluded = {}) {
  RankedCommands ranked{{42, 1.0}};
  SelectTopPredictions(predictions, count, ranked, excluded);
  ranked.erase(ranked.begin());
  return ranked;
}

struct Row {
  const char* name;
  PredictionMap predictions;
  int count;
  Excluded excluded;
  RankedCommands selected;
};

void ExpectSelected(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Selected(row.predictions, row.count, row.excluded), row.selected);
  }
}

const PredictionMap k579{{"5", 0.5}, {"7", 0.3}, {"9", 0.2}};

TEST(TopPredictions, AppendsToTheList) {
  RankedCommands ranked{{42, 1.0}};
  SelectTopPredictions(k579, 1, ranked, {{5, true}});  // also when choosing again
  EXPECT_EQ(ranked, (RankedCommands{{42, 1.0}, {7, 0.3}, {9, 0.2}}));
}

TEST(TopPredictions, TakesTheMostProbableThenTheGreatestTextAndEveryTieOfTheLast) {
  ExpectSelected(
      {{"best first", k579, 2, {}, {{5, 0.5}, {7, 0.3}}},
       {"count 0 takes all", k579, 0, {}, {{5, 0.5}, {7, 0.3}, {9, 0.2}}},
       {"count -1 takes all", k579, -1, {}, {{5, 0.5}, {7, 0.3}, {9, 0.2}}},
       {"tie, 4 before 3", {{"3", 0.4}, {"4", 0.4}, {"5", 0.39999999999999997}}, 1, {}, {{4, 0.4}, {3, 0.4}}},
       {"bytewise ties, 9 before 10",
        {{"10", 0.25}, {"9", 0.25}, {"100", 0.25}},
        0,
        {},
        {{9, 0.25}, {100, 0.25}, {10, 0.25}}}});
}

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
  ExpectSelected({{"numbers",
                   numbers,
                   0,
                   {},
                   {{7, 0.4}, {8, 0.3}, {8, 0.2}, {9, 0.1}, {-5, 0.05}, {INT_MAX, 0.02}, {INT_MIN, 0.01}}},
                  {"no numbers or beyond int", others, 0, {}, {{7, 0.1}}}});
}

}  // namespace
