#include "models/prediction_map.h"

#include <gtest/gtest.h>

#include <functional>

namespace Quenmar::Intel {
namespace {

const ScoreCombiner kSum = std::plus<double>();

TEST(PredictionMap, SetScoreStoresTheScore) {
  PredictionMap map{{"x", 1.0}};
  SetScore(map, "x", 0.5);
  EXPECT_EQ(map, (PredictionMap{{"x", 0.5}}));
}

TEST(PredictionMap, SetScoreOfZeroErasesTheItem) {
  PredictionMap map{{"x", 1.0}, {"y", 1.0}};
  SetScore(map, "x", 0.0);
  SetScore(map, "z", 0.0);
  EXPECT_EQ(map, (PredictionMap{{"y", 1.0}}));
}

TEST(PredictionMap, MergeCombinesSharedItemsAndTakesNewOnes) {
  PredictionMap target{{"a", 2.0}, {"b", 1.0}};
  MergePredictions(target, {{"a", 1.0}, {"c", 0.5}}, kSum);
  EXPECT_EQ(target, (PredictionMap{{"a", 3.0}, {"b", 1.0}, {"c", 0.5}}));
}

TEST(PredictionMap, MergeNeverStoresZero) {
  PredictionMap target{{"a", 2.0}, {"b", 1.0}};
  MergePredictions(target, {{"b", -1.0}, {"c", 0.0}}, kSum);
  EXPECT_EQ(target, (PredictionMap{{"a", 2.0}}));
}

TEST(PredictionMap, MergeGivesTheCombinerTheIncomingScoreFirst) {
  PredictionMap target{{"a", 3.0}};
  MergePredictions(target, {{"a", 1.0}},
                   [](double incoming, double existing) { return incoming - existing; });
  EXPECT_EQ(target, (PredictionMap{{"a", -2.0}}));
}

TEST(PredictionMap, NormalizeDividesEachScoreByTheSum) {
  EXPECT_EQ(NormalizePredictions({{"a", 1.0}, {"b", 3.0}}), (PredictionMap{{"a", 0.25}, {"b", 0.75}}));
  EXPECT_TRUE(NormalizePredictions({}).empty());
}

TEST(PredictionMap, ScaleKeepsProductsOfZero) {
  EXPECT_EQ(ScalePredictions({{"a", 0.5}}, 0.0), (PredictionMap{{"a", 0.0}}));
}

TEST(PredictionMap, ScaleInPlaceMultipliesEachScore) {
  PredictionMap scaled{{"a", 0.5}};
  ScalePredictions(scaled, 3.0);
  EXPECT_EQ(scaled, (PredictionMap{{"a", 1.5}}));
}

}  // namespace
}  // namespace Quenmar::Intel
