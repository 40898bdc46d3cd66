// The application-data folder that the host names, and its sub-folders (the model folder).
#include "cmdpredict/prediction_command_manager.h"
#include "platform/unicode.h"
#include "support/files/files.h"

namespace {

bool EnsureFolder(const cmdpredict::WString& folder) {
  return static_cast<bool>(cmdpredict::EnsureFolder(cmdpredict::WideToUtf8Path(folder)));
}

}  // namespace

bool CPredictionCommandManager::CreateAppDataFolder() { return EnsureFolder(m_appDataFolder); }

bool CPredictionCommandManager::CreateAppDataSubFolder(WString& name) {
  // No separator is inserted: the host passes the folder with a trailing one to nest the sub-folder.
  const WString path = m_appDataFolder + name;
  if (!CreateAppDataFolder() || !EnsureFolder(path)) return false;
  name = path;
  return true;
}
