#include "modelmgr/composite_model_record.h"

#include <cstdint>

#include "models/composite/composite_folder.h"
#include "models/model_registry.h"
#include "support/files/files.h"
#include "support/files/text.h"

namespace {

std::string NewRecordId() {
  const auto lowBits = static_cast<std::uint32_t>(cmdpredict::CurrentTimeSeconds());
  return cmdpredict::FormatText("spm_%d", static_cast<int>(static_cast<std::int32_t>(lowBits)));
}

// The registry's factory for the composite's type name makes a composite (built-in registrations
// cannot be replaced); a model of another type would be released, leaving no model.
std::shared_ptr<Quenmar::Intel::CompositeSequenceModel> CreateComposite(const std::string& typeName) {
  std::shared_ptr<Quenmar::Intel::ISequencePredictionModel> model = Quenmar::Intel::CreateModel(typeName);
  return std::dynamic_pointer_cast<Quenmar::Intel::CompositeSequenceModel>(model);
}

}  // namespace

CompositeModelRecord::CompositeModelRecord()
    : m_id(NewRecordId()),
      m_typeName(Quenmar::Intel::kCompositeTypeName),
      m_model(CreateComposite(m_typeName)) {}

CompositeModelRecord::~CompositeModelRecord() = default;
