#include "support/files/folder_listing.h"

#include <memory>

#include "platform/env.h"

namespace cmdpredict {

FileResult IsListableFolder(const std::string& path) {
  if (!CurrentEnv().OpenFolder(path)) return FileResult::Failure(CurrentEnv().LastErrorText());
  return FileResult::Success();
}

FileResult ListFolderFiles(const std::string& folder, std::vector<std::string>& fileNames) {
  fileNames.clear();
  const std::unique_ptr<DirectoryReader> reader = CurrentEnv().OpenFolder(folder);
  if (!reader) return FileResult::Failure(CurrentEnv().LastErrorText());
  for (DirectoryEntry entry; reader->Next(entry);) {
    if (entry.isRegularFile) fileNames.push_back(entry.name);
  }
  return FileResult::Success();
}

}  // namespace cmdpredict
