// The latest commands of each environment, oldest first; the newest of them form the history from
// which the next command is predicted.
#include <algorithm>

#include "cmdpredict/prediction_command_manager.h"
#include "modelmgr/prediction_model_manager.h"

bool CPredictionCommandManager::AddCommandToCommandsUsedForPrediction(const WString& environment,
                                                                      LONG commandId) {
  const auto [entry, created] = m_commandsUsedForPrediction.try_emplace(environment);
  std::vector<int>& commands = entry->second;
  // A list emptied by RemoveCommandFromCommandsUsedForPrediction accepts the next command as a
  // missing one does; otherwise the environment would never learn again until a restart.
  if (commands.empty()) {
    commands.push_back(commandId);
    return true;
  }
  if (commands.back() == commandId) return false;
  commands.push_back(commandId);
  // At most one command is dropped per addition, so a list longer than a lowered maximum keeps
  // its length; a negative maximum never shortens a list.
  if (m_maxNumCommandsUsedForPrediction >= 0 &&
      commands.size() > static_cast<std::size_t>(m_maxNumCommandsUsedForPrediction)) {
    commands.erase(commands.begin());
  }
  return true;
}

void CPredictionCommandManager::GetCommandsToUseForPrediction(const WString& environment, int count,
                                                              std::vector<int>& commands) const {
  const auto found = m_commandsUsedForPrediction.find(environment);
  if (count < 1 || found == m_commandsUsedForPrediction.end()) return;
  const std::vector<int>& latest = found->second;
  const std::size_t first = latest.size() > static_cast<std::size_t>(count) ? latest.size() - count : 0;
  commands.insert(commands.end(), latest.begin() + static_cast<std::ptrdiff_t>(first), latest.end());
}

std::size_t CPredictionCommandManager::GetNumberOfCommandsAvailableForPrediction(
    const WString& environment) const {
  const auto found = m_commandsUsedForPrediction.find(environment);
  return found == m_commandsUsedForPrediction.end() ? 0 : found->second.size();
}

bool CPredictionCommandManager::RemoveCommandFromCommandsUsedForPrediction(const WString& environment,
                                                                           LONG commandId) {
  if (!m_modelManager) return false;
  bool removedFromNamed = false;
  for (auto& [name, commands] : m_commandsUsedForPrediction) {
    const auto first = std::find(commands.begin(), commands.end(), commandId);
    if (first == commands.end()) continue;
    commands.erase(first);
    removedFromNamed = removedFromNamed || name == environment;
  }
  // The model is not loaded here: an environment without one gets no new predictions.
  std::vector<int> history;
  GetHistory(environment, history);
  m_modelManager->GetPredictions(environment, history);
  UpdatePredictions(environment);
  return removedFromNamed;
}

void CPredictionCommandManager::GetHistory(const WString& environment, std::vector<int>& history) const {
  GetCommandsToUseForPrediction(environment, m_numCommandsUsedForPrediction, history);
}
