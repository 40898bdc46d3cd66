// The two command exclusion lists: loading them from their files, adding to the user's list and
// writing it back.
#include <string>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "userdata/exclusion_list_file.h"

namespace {

// The whole file, or false when it cannot be read.
bool ReadListFile(const cmdpredict::WString& fileName, std::string& text) {
  return cmdpredict::CurrentEnv().ReadFile(cmdpredict::WideToUtf8Path(fileName), text);
}

}  // namespace

void CPredictionCommandManager::LoadCommandsExcludedFromTraining(const WString& fileName) {
  std::string text;
  if (ReadListFile(fileName, text)) {
    cmdpredict::ReadTrainingExclusionList(text, m_commandsExcludedFromTraining);
  }
}

void CPredictionCommandManager::LoadCommandsUserExcluded(const WString& fileName) {
  // Remembered even when the file cannot be read yet: on a first run the later save creates it.
  m_userExcludedCommandsFile = fileName;
  std::string text;
  if (ReadListFile(fileName, text)) cmdpredict::ReadUserExclusionList(text, m_commandsUserExcluded);
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
  // A failed write leaves the previous file whole; like every failure here it is not reported.
  cmdpredict::CurrentEnv().ReplaceFile(cmdpredict::WideToUtf8Path(fileName),
                                       cmdpredict::FormatUserExclusionList(commands));
  return S_OK;
}

LONG CPredictionCommandManager::SaveCommandsUserExcluded() {
  return SaveCommandsUserExcluded(m_userExcludedCommandsFile);
}

void CPredictionCommandManager::SetUserExcludedCommandsFile(const WString& fileName) {
  m_userExcludedCommandsFile = fileName;
}
