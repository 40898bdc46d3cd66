// The functions with which models build and combine their prediction maps. The order in which they
// visit entries (ascending item text) is part of their contract: sums of doubles depend on it.
#pragma once

#include <string>

#include "models/sequence_model.h"

namespace Quenmar::Intel {

// Stores the score for the item; a score of exactly 0.0 erases the item instead.
void SetScore(PredictionMap& map, const std::string& item, double score);

// A copy of the map with every score multiplied by the factor (a product of 0.0 stays).
PredictionMap ScalePredictions(const PredictionMap& map, double factor);

// Multiplies every score of the map by the factor in place (a product of 0.0 stays).
void ScalePredictions(PredictionMap& map, double factor);

// For each source entry (item, s) in item order: the target's score becomes combiner(s, t) when it
// holds the item with score t, otherwise s; both through SetScore, so an exact 0.0 removes the item.
void MergePredictions(PredictionMap& target, const PredictionMap& source, ScoreCombiner combiner);

// Every score divided by the sum of all scores (accumulated in item order from 0.0); quotients of
// exactly 0.0 are left out. An empty map gives an empty map.
PredictionMap NormalizePredictions(const PredictionMap& map);

}  // namespace Quenmar::Intel
