// The composite sequence model: named sub-models that all learn the same items and whose
// predictions are averaged with equal weights. Its stored form is a folder of sub-model files
// (composite_folder.h).
//
// Threading: one thread; sub-models must not be added or removed while an operation runs.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "models/sequence_model.h"

namespace Quenmar::Intel {

class CompositeSequenceModel : public ISequencePredictionModel {
 public:
  // Sub-models by name; every operation visits them in this (bytewise) order. Never holds null.
  using Models = std::map<std::string, std::shared_ptr<ISequencePredictionModel>>;

  CompositeSequenceModel();
  ~CompositeSequenceModel() override;
  CompositeSequenceModel(const CompositeSequenceModel&) = delete;
  CompositeSequenceModel& operator=(const CompositeSequenceModel&) = delete;

  using ISequencePredictionModel::Predict;
  // Each sub-model's prediction times 1/N, summed in name order. Not normalised: a sub-model that
  // predicts nothing lowers the total by 1/N.
  PredictionMap Predict(const std::vector<std::string>& history) override;
  // Every sub-model learns the same items from its own history.
  void AddSequence(const std::vector<std::string>& items) override;
  // Every sub-model gives up its last item; the text of the first in name order is returned.
  std::string RemoveLastItem() override;
  void ClearHistory() override;
  // Writes the folder of `basePath` (composite_folder.h) with each sub-model's file in its
  // "models" sub-folder; false when a folder could not be made or a sub-model not saved.
  bool Save(const std::string& basePath) override;
  // Adds the model of every loadable file of the folder, named after the file name without its
  // last extension; false when `folder` is not a folder that can be listed.
  bool Load(const std::string& folder) override;

  virtual void RemoveAllModels();
  virtual void ClearModels();
  // The composite has no settings of its own: writes nothing and returns false.
  virtual bool SaveSettings(const std::string& basePath);

  // Stores the model under the name, replacing a sub-model of that name. A null model is ignored.
  void AddModel(const std::string& name, std::shared_ptr<ISequencePredictionModel> model);
  const Models& GetModels() const { return m_models; }

 private:
  Models m_models;
};

}  // namespace Quenmar::Intel
