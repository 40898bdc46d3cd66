// Command events: deciding whether a command counts for learning, learning it, taking it back.
#include "cmdpredict/prediction_command_manager.h"
#include "modelmgr/prediction_model_manager.h"
#include "platform/unicode.h"

namespace {

// Identifiers that are never learnt, whatever the lists say.
bool IsReservedCommand(LONG commandId) { return commandId == 0 || (commandId >= 65525 && commandId < 65527); }

// Identifiers that are always learnt, whatever the lists say.
bool IsAlwaysLearnt(LONG commandId) { return commandId >= 62000 && commandId < 64000; }

constexpr DWORD kRunNotToBeLearnt = 1;

// Values of the host's identifier lists that LastCommandId passes over.
bool IsPlaceholderId(DWORD id) { return id == 0 || id == 45000; }

}  // namespace

LONG CPredictionCommandManager::BeforeCommandRun(LONG commandId, IUnknown* context, const char* environment,
                                                 DWORD runKind, DWORD runData) {
  const WString name = cmdpredict::Utf8ToWide(environment);
  return RecordTrainingSequenceCommand(commandId, context, name, runKind, runData);
}

LONG CPredictionCommandManager::RecordTrainingSequenceCommand(LONG commandId, IUnknown* context,
                                                              const WString& environment, DWORD runKind,
                                                              DWORD runData) {
  if (!m_modelManager) return S_FALSE;
  // Whatever the command, the environment's model is loaded on first use and its list refreshed
  // when it is not the current environment.
  GenerateInitialPredictions(environment);

  if (IsReservedCommand(commandId)) return S_FALSE;
  if (!ShouldRecordTrainingSequenceCommand(commandId, context, runKind, runData)) return S_FALSE;
  if (!AddCommandToCommandsUsedForPrediction(environment, commandId)) return S_FALSE;

  if (!m_modelManager->HasModel(environment)) m_modelManager->LoadModel(environment);
  if (m_addToPredictionModel) {
    m_modelManager->RecordCommand(environment, commandId);
    m_lastRecordedCommandId = commandId;
  }
  if (GetNumberOfCommandsAvailableForPrediction(environment) != 0) {
    std::vector<int> history;
    GetHistory(environment, history);
    m_modelManager->GetPredictions(environment, history);
    UpdatePredictions(environment);
  }
  ReportModelDiagnostics();
  return S_OK;
}

bool CPredictionCommandManager::ShouldRecordTrainingSequenceCommand(LONG commandId, IUnknown* /*context*/,
                                                                    DWORD runKind, DWORD /*runData*/) {
  if (runKind == kRunNotToBeLearnt) return false;
  if (IsAlwaysLearnt(commandId)) return true;
  if (m_commandsExcludedFromTraining.count(commandId) != 0) return false;
  if (const auto user = m_commandsUserExcluded.find(commandId); user != m_commandsUserExcluded.end()) {
    return !user->second;
  }
  if (const auto seen = m_commandsSeen.find(commandId); seen != m_commandsSeen.end()) return !seen->second;
  m_commandsSeen.emplace(commandId, false);
  return true;
}

LONG CPredictionCommandManager::RemoveTrainingSequenceCommand(const WString& environment) {
  if (!m_modelManager) return 0;
  if (!m_modelManager->HasModel(environment)) m_modelManager->LoadModel(environment);
  const LONG removed = m_addToPredictionModel ? m_modelManager->RemoveLastCommand(environment) : 0;
  ReportModelDiagnostics();
  return removed;
}

bool CPredictionCommandManager::RemoveLastTrainingSequenceCommand(const WString& environment,
                                                                  LONG commandId) {
  if (commandId != m_lastRecordedCommandId) return false;
  if (RemoveTrainingSequenceCommand(environment) != m_lastRecordedCommandId) return false;
  m_lastRecordedCommandId = 0;
  return true;
}

DWORD CPredictionCommandManager::LastCommandId(const _bstr_t& name) const {
  const auto found = m_commandIdLists.find(name);
  if (found == m_commandIdLists.end() || found->second.empty()) return 0;
  const CommandIdList& ids = found->second;
  for (const DWORD id : ids) {
    if (!IsPlaceholderId(id)) return id;
  }
  if (ids.size() == 1 && ids.front() != 0) return ids.front();
  return ids.back();
}

void CPredictionCommandManager::SetCommandIdList(const _bstr_t& name, const CommandIdList& ids) {
  m_commandIdLists[name] = ids;
}
