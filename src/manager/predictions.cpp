// The ranked prediction list of each environment, rebuilt in place from the model manager's cached
// predictions, and the cheap queries with which the host reads it.
#include "cmdpredict/prediction_command_manager.h"
#include "modelmgr/prediction_model_manager.h"
#include "platform/unicode.h"

void CPredictionCommandManager::UpdatePredictions(const WString& environment) {
  if (!m_modelManager) return;
  RankedCommands ranked;
  m_modelManager->GetTopPredictions(environment, m_numberOfPredictionCommands, ranked,
                                    m_commandsExcludedFromTraining);

  // Positions are updated in place and never removed: a position beyond the new predictions is
  // emptied, and only a position whose command changed is flagged for the host.
  Slots& slots = m_predictions[environment];
  for (std::size_t i = 0; i < slots.size(); ++i) {
    PredictionSlot& slot = *slots[i];
    if (i >= ranked.size()) {
      slot = PredictionSlot{0.0, 0, true};
    } else if (slot.commandId != ranked[i].first) {
      slot = PredictionSlot{ranked[i].second, ranked[i].first, true};
    } else {
      slot.probability = ranked[i].second;
    }
  }
  for (std::size_t i = slots.size(); i < ranked.size(); ++i) {
    slots.push_back(
        std::make_shared<PredictionSlot>(PredictionSlot{ranked[i].second, ranked[i].first, true}));
  }
  SetNewPredictionsAvailable(environment);
  m_currentEnvironment = environment;
}

void CPredictionCommandManager::GenerateInitialPredictions(const WString& environment) {
  if (!m_modelManager) return;
  if (!m_modelManager->HasModel(environment)) {
    m_modelManager->LoadModel(environment);
    std::vector<int> history;
    GetHistory(environment, history);
    m_modelManager->GetPredictions(environment, history);
  }
  if (m_currentEnvironment != environment) UpdatePredictions(environment);
  ReportModelDiagnostics();
}

bool CPredictionCommandManager::GetPredictionCommandIDs(
    const char* environment, std::vector<PredictionCommandManagerPredictionData>& predictions) {
  const WString name = cmdpredict::Utf8ToWide(environment);
  auto found = m_predictions.find(name);
  if (found == m_predictions.end()) {
    GenerateInitialPredictions(name);
    found = m_predictions.find(name);
  }
  if (found != m_predictions.end()) {
    for (const auto& slot : found->second) predictions.push_back({slot->commandId, slot->probability, false});
  }
  return true;
}

int CPredictionCommandManager::GetPredictionCommandID(const WString& environment, int index) const {
  const auto found = m_predictions.find(environment);
  if (found == m_predictions.end() || index < 0 || static_cast<std::size_t>(index) >= found->second.size())
    return 0;
  return found->second[static_cast<std::size_t>(index)]->commandId;
}

bool CPredictionCommandManager::GetPredictionCommandIDIfUpdated(const WString& environment, int index,
                                                                int& commandId) {
  commandId = 0;
  const auto found = m_predictions.find(environment);
  if (found == m_predictions.end() || index < 0 || static_cast<std::size_t>(index) >= found->second.size()) {
    return false;
  }
  PredictionSlot& slot = *found->second[static_cast<std::size_t>(index)];
  if (!slot.updated) return false;
  commandId = slot.commandId;
  slot.updated = false;
  return true;
}

bool CPredictionCommandManager::NewPredictionsAvailable(const WString& environment) const {
  const auto found = m_newPredictionsAvailable.find(environment);
  return found != m_newPredictionsAvailable.end() && found->second;
}

void CPredictionCommandManager::SetNewPredictionsAvailable(const WString& environment) {
  m_newPredictionsAvailable[environment] = true;
}
