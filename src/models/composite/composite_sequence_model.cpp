#include "models/composite/composite_sequence_model.h"

#include <cstdint>
#include <functional>
#include <utility>

#include "models/prediction_map.h"

namespace Quenmar::Intel {

CompositeSequenceModel::CompositeSequenceModel() = default;

CompositeSequenceModel::~CompositeSequenceModel() = default;

PredictionMap CompositeSequenceModel::Predict(const std::vector<std::string>& history) {
  PredictionMap average;
  if (m_models.empty()) return average;
  // The rounding of the sum is part of the answer (ten sub-models that all predict x with 1.0 give
  // 0.9999999999999999): each term is multiplied by this one weight, not divided by N, and the
  // terms are added in name order.
  const double weight = 1.0 / static_cast<double>(static_cast<std::uint64_t>(m_models.size()));
  for (const auto& entry : m_models) {
    PredictionMap predictions = entry.second->Predict(history);
    ScalePredictions(predictions, weight);
    MergePredictions(average, predictions, std::plus<double>());
  }
  return average;
}

void CompositeSequenceModel::AddSequence(const std::vector<std::string>& items) {
  for (const auto& entry : m_models) entry.second->AddSequence(items);
}

std::string CompositeSequenceModel::RemoveLastItem() {
  std::string first;
  for (auto entry = m_models.begin(); entry != m_models.end(); ++entry) {
    std::string removed = entry->second->RemoveLastItem();
    if (entry == m_models.begin()) first = std::move(removed);
  }
  return first;
}

void CompositeSequenceModel::ClearHistory() {
  for (const auto& entry : m_models) entry.second->ClearHistory();
}

void CompositeSequenceModel::RemoveAllModels() { m_models.clear(); }

void CompositeSequenceModel::ClearModels() { RemoveAllModels(); }

bool CompositeSequenceModel::SaveSettings(const std::string& /*basePath*/) { return false; }

void CompositeSequenceModel::AddModel(const std::string& name,
                                      std::shared_ptr<ISequencePredictionModel> model) {
  // Every operation calls the sub-models unchecked, so a null one would crash the next of them.
  if (!model) return;
  m_models[name] = std::move(model);
}

}  // namespace Quenmar::Intel
