// A small sequence model for the composite's tests: it predicts a fixed map, keeps the items it
// learnt as a stack, and writes every call it receives, tagged with its name, into a shared log.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "models/sequence_model.h"

namespace Quenmar::Intel {

using CallLog = std::vector<std::string>;

class RecordingModel : public ISequencePredictionModel {
 public:
  RecordingModel(std::string name, CallLog& log, PredictionMap predictions = {})
      : m_name(std::move(name)), m_log(log), m_predictions(std::move(predictions)) {}

  using ISequencePredictionModel::Predict;
  PredictionMap Predict(const std::vector<std::string>& history) override {
    Record("Predict", Joined(history));
    return m_predictions;
  }
  void AddSequence(const std::vector<std::string>& items) override {
    Record("AddSequence", Joined(items));
    learnt.insert(learnt.end(), items.begin(), items.end());
  }
  std::string RemoveLastItem() override {
    Record("RemoveLastItem", "");
    if (learnt.empty()) return std::string();
    std::string last = learnt.back();
    learnt.pop_back();
    return last;
  }
  void ClearHistory() override { Record("ClearHistory", ""); }
  bool Save(const std::string& path) override {
    Record("Save", path);
    return savesSucceed;
  }
  bool Load(const std::string& path) override {
    Record("Load", path);
    return true;
  }

  std::vector<std::string> learnt;
  bool savesSucceed = true;

 private:
  static std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (std::size_t index = 0; index < items.size(); ++index)
      joined += (index == 0 ? "" : ",") + items[index];
    return joined;
  }
  void Record(const std::string& operation, const std::string& argument) {
    m_log.push_back(m_name + "." + operation + "(" + argument + ")");
  }

  std::string m_name;
  CallLog& m_log;
  PredictionMap m_predictions;
};

}  // namespace Quenmar::Intel
