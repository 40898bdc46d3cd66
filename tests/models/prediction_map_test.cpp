#include "models/prediction_map.h"

#include <gtest/gtest.h>

#include <functional>

namespace Quenmar::Intel {
namespace {

const ScoreCombiner kSum = std::plus<double>();

TEST(PredictionMap, SetScoreOfZeroErasesInsteadOfStoring) {
  PredictionMap map{{"y", 1.0}};
  SetScore(map, "x", 0.0);
  EXPECT_EQ(map, (PredictionMap{{"y", 1.0}}));
  SetScore(map, "x", 0.5);
  SetScore(map, "y", 0.0);
  EXPECT_EQ(map, (PredictionMap{{"x", 0.5}}));
}

TEST(PredictionMap, MergeCombinesSharedItemsAndAddsNewOnesButNeverStoresZero) {
  PredictionMap target{{"a", 2.0}, {"b", 1.0}};
  MergePredictions(target, {{"a", 1.0}, {"c", 0.0}}, kSum);
  EXPECT_EQ(target, (PredictionMap{{"a", 3.0}, {"b", 1.0}}));
  MergePredictions(target, {{"b", -1.0}}, kSum);  // a sum of exactly 0.0 removes the item
  EXPECT_EQ(target, (PredictionMap{{"a", 3.0}}));
  // The incoming score is the combiner's first argument.
  MergePredictions(target, {{"a", 1.0}}, [](double incoming, double existing) { return incoming - existing; });
  EXPECT_EQ(target, (PredictionMap{{"a", -2.0}}));
}

TEST(PredictionMap, NormalizeDividesBySumAndScaleKeepsZeroProducts) {
  EXPECT_EQ(NormalizePredictions({{"a", 1.0}, {"b", 3.0}}), (PredictionMap{{"a", 0.25}, {"b", 0.75}}));
  EXPECT_TRUE(NormalizePredictions({}).empty());
  const PredictionMap half{{"a", 0.5}};
  EXPECT_EQ(ScalePredictions(half, 0.0), (PredictionMap{{"a", 0.0}}));
  PredictionMap scaled = half;
  ScalePredictions(scaled, 3.0);
  EXPECT_EQ(scaled, (PredictionMap{{"a", 1.5}}));
}

}  // namespace
}  // namespace Quenmar::Intel
