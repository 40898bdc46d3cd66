#include "support/files/files.h"

#include "platform/env.h"
#include "platform/paths.h"

namespace cmdpredict {

int FileExists(const std::string& path) { return CurrentEnv().Access(path); }

int CreateFolder(const std::string& path) { return CurrentEnv().CreateFolder(path) ? 0 : 1; }

FileResult EnsureFolder(const std::string& path) {
  if (FileExists(path) == 0 || CreateFolder(path) == 0) return FileResult::Success();
  return FileResult::Failure(CurrentEnv().LastErrorText());
}

FileResult EnsureFolderWithParents(const std::string& path) {
  // A parent that cannot be created makes the path's own creation fail, with the system's reason.
  // Every separator the system accepts: hosts on Windows often name folders with '/'.
  for (std::size_t end = path.find_first_of(kPathSeparators, 1);
       end != std::string::npos && end + 1 < path.size();
       end = path.find_first_of(kPathSeparators, end + 1)) {
    static_cast<void>(EnsureFolder(path.substr(0, end)));
  }
  return EnsureFolder(path);
}

std::int64_t CurrentTimeSeconds() { return CurrentEnv().NowSeconds(); }

}  // namespace cmdpredict
