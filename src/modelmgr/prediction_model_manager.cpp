#include "modelmgr/prediction_model_manager.h"

#include "platform/unicode.h"

CPredictionModelManager::CPredictionModelManager() = default;

CPredictionModelManager::~CPredictionModelManager() = default;

void CPredictionModelManager::SetModelFolder(const WString& folder) {
  m_modelFolder = folder;
  m_compositeModel.SetModelFolder(cmdpredict::WideToUtf8Path(folder));
}

void CPredictionModelManager::SetModelDepth(std::uint64_t depth) {
  m_modelDepth = depth;
  for (auto& [environment, model] : m_environmentModels) model.SetModelDepth(depth);
}

bool CPredictionModelManager::HasModel(const WString& environment) const {
  return m_environmentModels.count(environment) != 0;
}

void CPredictionModelManager::AddEnvironmentModel(const WString& environment) {
  const auto [position, added] = m_environmentModels.try_emplace(environment, m_modelFolder, environment);
  if (added && m_modelDepth) position->second.SetModelDepth(*m_modelDepth);
}

bool CPredictionModelManager::LoadModel(const WString& environment) {
  if (HasModel(environment)) return true;
  AddEnvironmentModel(environment);
  return m_environmentModels.at(environment).LoadModel(m_diagnostics);
}

bool CPredictionModelManager::SaveModels() {
  if (m_modelFolder.empty()) return true;
  bool allSaved = true;
  for (auto& [environment, model] : m_environmentModels)
    allSaved = model.SaveModel(m_diagnostics) && allSaved;
  return allSaved;
}

cmdpredict::Diagnostics CPredictionModelManager::TakeDiagnostics() {
  cmdpredict::Diagnostics taken;
  taken.swap(m_diagnostics);
  return taken;
}

void CPredictionModelManager::RecordCommand(const WString& environment, LONG commandId) {
  const auto found = m_environmentModels.find(environment);
  if (found != m_environmentModels.end()) found->second.RecordCommand(commandId);
}

int CPredictionModelManager::RemoveLastCommand(const WString& environment) {
  const auto found = m_environmentModels.find(environment);
  return found == m_environmentModels.end() ? 0 : found->second.RemoveLastCommand();
}

const CPredictionModelManager::PredictionMap& CPredictionModelManager::GetPredictions(
    const WString& environment, const std::vector<int>& history) {
  static const PredictionMap kNoPredictions;
  const auto found = m_environmentModels.find(environment);
  if (found == m_environmentModels.end()) return kNoPredictions;
  PredictionMap& cached = m_predictionCache[environment];
  found->second.PredictNextCommands(history, cached);
  return cached;
}

CPredictionModelManager::PredictionMap CPredictionModelManager::GetCachedPredictions(
    const WString& environment) const {
  const auto found = m_predictionCache.find(environment);
  return found == m_predictionCache.end() ? PredictionMap() : found->second;
}

void CPredictionModelManager::GetTopPredictions(const WString& environment, int count, RankedCommands& ranked,
                                                const std::map<LONG, bool>& excluded) const {
  const auto found = m_predictionCache.find(environment);
  if (found != m_predictionCache.end()) SelectTopPredictions(found->second, count, ranked, excluded);
}
