// CPredictionModelManager: the learnt models of all environments of the host, one holder per
// environment name, created and loaded on first use, and the predictions last computed for each.
//
// Environment names are compared by UTF-16 code units (case-sensitive). Threading: the host's
// thread only; nothing is locked.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "cmdpredict/platform_types.h"
#include "modelmgr/composite_model_record.h"
#include "modelmgr/context_tree_holder.h"
#include "modelmgr/top_predictions.h"
#include "models/sequence_model.h"
#include "support/diagnostics.h"

class CPredictionModelManager {
 public:
  using WString = cmdpredict::WString;
  using PredictionMap = Quenmar::Intel::PredictionMap;

  CPredictionModelManager();
  virtual ~CPredictionModelManager();
  CPredictionModelManager(const CPredictionModelManager&) = delete;
  CPredictionModelManager& operator=(const CPredictionModelManager&) = delete;

  // The folder of the model files, without a trailing separator. Empty (the default): models are
  // kept in memory only and no file is read or written.
  void SetModelFolder(const WString& folder);
  // Fixes the depth of every environment model, those loaded already and those to come (see
  // CContextTree::SetModelDepth). Until it is called, models keep the depth their files give them.
  void SetModelDepth(std::uint64_t depth);
  bool HasModel(const WString& environment) const;
  // Creates the environment's holder (an empty model) unless it exists.
  void AddEnvironmentModel(const WString& environment);
  // Creates the holder and loads its file; true when it existed already or its file was read.
  // Repairs, unusable files and backups are collected for TakeDiagnostics.
  bool LoadModel(const WString& environment);
  // Saves every model, in ascending order of environment name, going on after a failure. True when
  // every model was written, or when there is no model folder (nothing is to be written). Each
  // model not written is collected for TakeDiagnostics.
  bool SaveModels();
  // The records collected since the last call, oldest first; the collection is emptied.
  cmdpredict::Diagnostics TakeDiagnostics();
  // Teaches the environment's model the command; does nothing for an environment without a model.
  void RecordCommand(const WString& environment, LONG commandId);
  // Takes the environment's last learnt command back; its identifier, or 0.
  int RemoveLastCommand(const WString& environment);
  // Predicts the next command after the history (oldest first) and caches the result as the
  // environment's predictions. For an environment without a model: an empty map, no cache entry.
  // The reference stays valid until the environment's predictions are computed again.
  const PredictionMap& GetPredictions(const WString& environment, const std::vector<int>& history);
  // A copy of the cached predictions; empty when there are none.
  PredictionMap GetCachedPredictions(const WString& environment) const;
  // Appends the best cached predictions as ranked identifiers (SelectTopPredictions); never
  // computes new predictions.
  void GetTopPredictions(const WString& environment, int count, RankedCommands& ranked,
                         const std::map<LONG, bool>& excluded) const;

  // The composite model and its folder; no operation trains, queries, saves or loads it.
  const CompositeModelRecord& GetCompositeModel() const { return m_compositeModel; }

 private:
  CompositeModelRecord m_compositeModel;
  WString m_modelFolder;
  std::map<WString, CContextTree> m_environmentModels;
  std::map<WString, PredictionMap> m_predictionCache;
  cmdpredict::Diagnostics m_diagnostics;
  std::optional<std::uint64_t> m_modelDepth;  // set by the host, or none: the written behaviour
};
