#include "models/model_registry.h"

#include <utility>

#include "models/composite/composite_sequence_model.h"
#include "models/contexttree/context_tree.h"

namespace Quenmar::Intel {

ModelRegistry::ModelRegistry() {
  RegisterModelType("CompositeSequenceModel", [] { return new CompositeSequenceModel(); });
  RegisterModelType("ContextTree", [] { return new ContextTree(); });
}

ModelRegistry& ModelRegistry::Instance() {
  static ModelRegistry registry;
  return registry;
}

void ModelRegistry::RegisterModelType(const std::string& name, ModelFactory factory) {
  m_factories.emplace(name, std::move(factory));
}

std::unique_ptr<ISequencePredictionModel> ModelRegistry::CreateModel(const std::string& name) const {
  const auto found = m_factories.find(name);
  if (found == m_factories.end()) return nullptr;
  return std::unique_ptr<ISequencePredictionModel>(found->second());
}

void RegisterModelType(const std::string& name, ModelFactory factory) {
  ModelRegistry::Instance().RegisterModelType(name, std::move(factory));
}

std::unique_ptr<ISequencePredictionModel> CreateModel(const std::string& name) {
  return ModelRegistry::Instance().CreateModel(name);
}

}  // namespace Quenmar::Intel
