#include "models/prediction_map.h"

#include <utility>

namespace Quenmar::Intel {

void SetScore(PredictionMap& map, const std::string& item, double score) {
  if (score == 0.0) {
    map.erase(item);
  } else {
    map[item] = score;
  }
}

PredictionMap ScalePredictions(const PredictionMap& map, double factor) {
  PredictionMap scaled = map;
  ScalePredictions(scaled, factor);
  return scaled;
}

void ScalePredictions(PredictionMap& map, double factor) {
  for (auto& entry : map) entry.second *= factor;
}

void MergePredictions(PredictionMap& target, const PredictionMap& source, ScoreCombiner combiner) {
  for (const auto& [item, score] : source) {
    auto position = target.lower_bound(item);
    const bool present = position != target.end() && position->first == item;
    const double merged = present ? combiner(score, position->second) : score;
    if (merged == 0.0) {
      if (present) target.erase(position);
    } else if (present) {
      position->second = merged;
    } else {
      target.emplace_hint(position, item, merged);
    }
  }
}

PredictionMap NormalizePredictions(const PredictionMap& map) {
  double sum = 0.0;
  for (const auto& entry : map) sum += entry.second;
  PredictionMap normalized;
  for (const auto& [item, score] : map) {
    const double quotient = score / sum;
    if (quotient != 0.0) normalized.emplace_hint(normalized.end(), item, quotient);
  }
  return normalized;
}

}  // namespace Quenmar::Intel
