// State, options and lifecycle of the manager.
#include "cmdpredict/prediction_command_manager.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "manager/space_bar_hook.h"
#include "modelmgr/prediction_model_manager.h"
#include "platform/unicode.h"
#include "support/diagnostics.h"
#include "support/files/files.h"
#include "support/files/folder_listing.h"

namespace {

// Creates the application-data folder, with its missing parents, and the model folder in it. On
// failure `failedFolder` names the folder that could not be made ready.
cmdpredict::FileResult PrepareModelFolder(const std::string& appDataFolder, const std::string& modelFolder,
                                          std::string& failedFolder) {
  failedFolder = appDataFolder;
  cmdpredict::FileResult result = cmdpredict::EnsureFolderWithParents(appDataFolder);
  if (!result) return result;
  failedFolder = modelFolder;
  result = cmdpredict::EnsureFolder(modelFolder);
  // A file standing at the model folder's name "exists" for EnsureFolder, but holds no models.
  if (result) result = cmdpredict::IsListableFolder(modelFolder);
  return result;
}

}  // namespace

CPredictionCommandManager::CPredictionCommandManager() = default;

CPredictionCommandManager::CPredictionCommandManager(const CPredictionCommandManager& other) = default;

CPredictionCommandManager& CPredictionCommandManager::operator=(const CPredictionCommandManager& other) =
    default;

CPredictionCommandManager::~CPredictionCommandManager() { RemoveKeyboardHookServing(this); }

LONG CPredictionCommandManager::Initialize(const WChar* /*ignoredString*/, const WChar* appDataFolder,
                                           int numCommandsUsedForPrediction,
                                           int maxNumCommandsUsedForPrediction) {
  try {
    m_modelManager = std::make_shared<CPredictionModelManager>();
  } catch (const std::bad_alloc&) {
    m_modelManager = nullptr;
    return E_OUTOFMEMORY;
  }
  if (m_modelDepth != 0) m_modelManager->SetModelDepth(static_cast<std::uint64_t>(m_modelDepth));
  // The history length is checked against the maximum in force before this call, not the new one.
  SetNumCommandsUsedForPrediction(numCommandsUsedForPrediction);
  m_maxNumCommandsUsedForPrediction = maxNumCommandsUsedForPrediction;
  if (appDataFolder == nullptr) return S_OK;

  m_appDataFolder = appDataFolder;
  const WString modelFolder = m_appDataFolder + CMDPREDICT_WIDE("ModelPrediction");
  std::string failedFolder;
  const cmdpredict::FileResult ready = PrepareModelFolder(
      cmdpredict::WideToUtf8Path(m_appDataFolder), cmdpredict::WideToUtf8Path(modelFolder), failedFolder);
  if (!ready) {
    // The models stay in memory: nothing is read or written relative to the current folder.
    cmdpredict::Diagnostics diagnostics;
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kFolderNotCreated, failedFolder,
                              ready.FailureReason());
    Report(diagnostics);
    return S_FALSE;
  }
  m_modelManager->SetModelFolder(modelFolder);
  return S_OK;
}

DWORD CPredictionCommandManager::GetLastCommandInfoId() const { return m_lastCommandInfoId; }

void CPredictionCommandManager::SetLastCommandInfoId(DWORD id) { m_lastCommandInfoId = id; }

int CPredictionCommandManager::GetMinimumNumberOfCommandsToAddToPredictionModel() const {
  return m_minimumNumberOfCommandsToAddToPredictionModel;
}

void CPredictionCommandManager::SetMinimumNumberOfCommandsToAddToPredictionModel(int count) {
  m_minimumNumberOfCommandsToAddToPredictionModel = count;
}

int CPredictionCommandManager::GetNumberOfPredictionCommands() const { return m_numberOfPredictionCommands; }

void CPredictionCommandManager::SetNumberOfPredictionCommands(int count) {
  m_numberOfPredictionCommands = count;
}

bool CPredictionCommandManager::GetAddToPredictionModel() const { return m_addToPredictionModel; }

void CPredictionCommandManager::SetAddToPredictionModel(bool add) { m_addToPredictionModel = add; }

bool CPredictionCommandManager::GetAutoStartTopPrediction() const { return m_autoStartTopPrediction; }

void CPredictionCommandManager::SetAutoStartTopPrediction(bool autoStart) {
  if (autoStart == m_autoStartTopPrediction) return;
  m_autoStartTopPrediction = autoStart;
  if (autoStart) {
    SetTovrelKeyboardHook();
  } else {
    RemoveTovrelKeyboardHook();
  }
}

int CPredictionCommandManager::GetNumCommandsUsedForPrediction() const {
  return m_numCommandsUsedForPrediction;
}

int CPredictionCommandManager::SetNumCommandsUsedForPrediction(int n) {
  m_numCommandsUsedForPrediction =
      n > m_maxNumCommandsUsedForPrediction ? m_maxNumCommandsUsedForPrediction : n;
  return m_numCommandsUsedForPrediction;
}

int CPredictionCommandManager::GetMaxNumCommandsUsedForPrediction() const {
  return m_maxNumCommandsUsedForPrediction;
}

void CPredictionCommandManager::SetMaxNumCommandsUsedForPrediction(int n) {
  m_maxNumCommandsUsedForPrediction = n;
}

LONG CPredictionCommandManager::SetModelDepth(int depth) {
  if (depth < 1 || static_cast<std::uint64_t>(depth) > CContextTree::kMaxDepth) return E_INVALIDARG;
  m_modelDepth = depth;
  if (m_modelManager) m_modelManager->SetModelDepth(static_cast<std::uint64_t>(depth));
  return S_OK;
}

int CPredictionCommandManager::GetModelDepth() const {
  return m_modelDepth != 0 ? m_modelDepth : static_cast<int>(CContextTree::kWrittenDepth);
}

void CPredictionCommandManager::UpdateOptions() {}

LONG CPredictionCommandManager::AfterCommandRun(LONG /*commandId*/) { return S_OK; }

LONG CPredictionCommandManager::BeforeQuit() {
  if (!m_modelManager) return S_OK;
  const bool allSaved = m_modelManager->SaveModels();
  ReportModelDiagnostics();
  return allSaved ? S_OK : E_FAIL;
}

void CPredictionCommandManager::SavePredictionModels() {
  if (!m_modelManager) return;
  m_modelManager->SaveModels();
  ReportModelDiagnostics();
}

void CPredictionCommandManager::SetDiagnosticHandler(DiagnosticHandler handler) {
  m_diagnosticHandler = std::move(handler);
}

void CPredictionCommandManager::Report(const std::vector<Diagnostic>& diagnostics) const {
  if (!m_diagnosticHandler) return;
  // A copy, so that a handler that sets another handler does not destroy itself while it runs.
  const DiagnosticHandler handler = m_diagnosticHandler;
  for (const Diagnostic& diagnostic : diagnostics) {
    try {
      handler(diagnostic);
    } catch (...) {  // the host's own failure; see "Failures and what the host sees" in the header
    }
  }
}

void CPredictionCommandManager::ReportModelDiagnostics() {
  if (m_modelManager) Report(m_modelManager->TakeDiagnostics());
}
