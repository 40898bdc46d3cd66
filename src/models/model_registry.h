// Creates models from their type names: the name a model's GetTypeName returns, which is also the
// extension of the file or folder that stores it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "models/sequence_model.h"

namespace Quenmar::Intel {

// Returns a newly allocated, default-constructed model that the caller owns.
using ModelFactory = std::function<ISequencePredictionModel*()>;

class ModelRegistry {
 public:
  // The process-wide registry, created on first use with the built-in model types registered.
  static ModelRegistry& Instance();

  // Adds the pair unless the name is registered already (an existing registration stays).
  void RegisterModelType(const std::string& name, ModelFactory factory);
  // A new model of the named type, or null when the name (compared exactly) is not registered.
  std::unique_ptr<ISequencePredictionModel> CreateModel(const std::string& name) const;

 private:
  ModelRegistry();

  std::map<std::string, ModelFactory> m_factories;
};

// Shorthands for the process-wide registry.
void RegisterModelType(const std::string& name, ModelFactory factory);
std::unique_ptr<ISequencePredictionModel> CreateModel(const std::string& name);

}  // namespace Quenmar::Intel
