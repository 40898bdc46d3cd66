// The two command exclusion lists: loading them from their files, adding to the user's list and
// writing it back.
#include <string>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/unicode.h"
#include "support/diagnostics.h"
#include "support/files/file_contents.h"
#include "support/files/files.h"
#include "userdata/exclusion_list_file.h"

namespace {

using cmdpredict::DiagnosticKind;

// The whole file, or false when it cannot be read. A file that does not exist is not reported: the
// user's list has none before its first save.
bool ReadListFile(const std::string& path, std::string& text, cmdpredict::Diagnostics& diagnostics) {
  const cmdpredict::FileResult read = cmdpredict::ReadWholeFile(path, text);
  if (read) return true;
  if (cmdpredict::FileExists(path) == 0) {
    cmdpredict::AddDiagnostic(diagnostics, DiagnosticKind::kListFileUnusable, path, read.FailureReason());
  }
  return false;
}

template <typename ReadList>
void LoadListFile(const cmdpredict::WString& fileName, ReadList readList,
                  cmdpredict::Diagnostics& diagnostics) {
  const std::string path = cmdpredict::WideToUtf8Path(fileName);
  std::string text;
  if (ReadListFile(path, text, diagnostics) && !readList(text)) {
    cmdpredict::AddDiagnostic(diagnostics, DiagnosticKind::kListFileUnusable, path,
                              "text that is not a list of commands was skipped");
  }
}

}  // namespace

void CPredictionCommandManager::LoadCommandsExcludedFromTraining(const WString& fileName) {
  cmdpredict::Diagnostics diagnostics;
  LoadListFile(
      fileName,
      [this](const std::string& text) {
        return cmdpredict::ReadTrainingExclusionList(text, m_commandsExcludedFromTraining);
      },
      diagnostics);
  Report(diagnostics);
}

void CPredictionCommandManager::LoadCommandsUserExcluded(const WString& fileName) {
  // Remembered even when the file cannot be read yet: on a first run the later save creates it.
  m_userExcludedCommandsFile = fileName;
  cmdpredict::Diagnostics diagnostics;
  LoadListFile(
      fileName,
      [this](const std::string& text) {
        return cmdpredict::ReadUserExclusionList(text, m_commandsUserExcluded);
      },
      diagnostics);
  Report(diagnostics);
}

void CPredictionCommandManager::AddCommandIDToUserExcludedCommands(LONG commandId) {
  m_commandsUserExcluded[commandId] = true;
}

LONG CPredictionCommandManager::SaveCommandsUserExcluded(const WString& fileName) {
  // Every command seen while recording is written as not excluded, unless the user's list holds it:
  // the user's flag is the one that recording obeys.
  cmdpredict::CommandFlags commands = m_commandsSeen;
  for (const auto& [identifier, excluded] : m_commandsUserExcluded) commands[identifier] = excluded;
  if (commands.empty() || fileName.empty()) return S_OK;
  // A failed write leaves the previous file whole; the result stays S_OK, the handler is told.
  const std::string path = cmdpredict::WideToUtf8Path(fileName);
  const cmdpredict::FileResult written =
      cmdpredict::WriteFileAtomically(path, cmdpredict::FormatUserExclusionList(commands));
  if (!written) {
    cmdpredict::Diagnostics diagnostics;
    cmdpredict::AddDiagnostic(diagnostics, DiagnosticKind::kListFileNotWritten, path,
                              written.FailureReason());
    Report(diagnostics);
  }
  return S_OK;
}

LONG CPredictionCommandManager::SaveCommandsUserExcluded() {
  return SaveCommandsUserExcluded(m_userExcludedCommandsFile);
}

void CPredictionCommandManager::SetUserExcludedCommandsFile(const WString& fileName) {
  m_userExcludedCommandsFile = fileName;
}
