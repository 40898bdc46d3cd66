#include "models/sequence_model.h"

#include <typeinfo>

#include "platform/type_name.h"

namespace Quenmar::Intel {

PredictionMap ISequencePredictionModel::Predict(const std::list<std::string>& history) {
  return Predict(std::vector<std::string>(history.begin(), history.end()));
}

void ISequencePredictionModel::AddItem(const std::string& item) {
  AddSequence(std::vector<std::string>{item});
}

std::string ISequencePredictionModel::GetTypeName() const {
  const std::string qualified = cmdpredict::QualifiedTypeName(typeid(*this));
  const auto separator = qualified.rfind("::");
  return separator == std::string::npos ? qualified : qualified.substr(separator + 2);
}

}  // namespace Quenmar::Intel
