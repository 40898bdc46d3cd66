// CompositeModelRecord: the model manager's composite model, an empty composite created through
// the model type registry together with its identifier and folder. Nothing trains, queries,
// saves or loads it; it lives and dies with the model manager.
#pragma once

#include <memory>
#include <string>

#include "models/composite/composite_sequence_model.h"

class CompositeModelRecord {
 public:
  // Takes the identifier from the clock, then creates the composite.
  CompositeModelRecord();
  virtual ~CompositeModelRecord();
  CompositeModelRecord(const CompositeModelRecord&) = delete;
  CompositeModelRecord& operator=(const CompositeModelRecord&) = delete;

  // "spm_" and the low 32 bits of the construction time in seconds as a signed decimal; records
  // made in the same second share it.
  const std::string& GetId() const { return m_id; }
  const std::string& GetTypeName() const { return m_typeName; }
  const std::shared_ptr<Quenmar::Intel::CompositeSequenceModel>& GetModel() const { return m_model; }
  // The model folder as UTF-8 text; empty until the model manager is given one.
  const std::string& GetModelFolder() const { return m_modelFolder; }
  void SetModelFolder(const std::string& folder) { m_modelFolder = folder; }

 private:
  std::string m_id;
  std::string m_typeName;
  std::shared_ptr<Quenmar::Intel::CompositeSequenceModel> m_model;
  std::string m_modelFolder;
};
