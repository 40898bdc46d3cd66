#include "support/files/files.h"

#include "platform/env.h"

namespace cmdpredict {

int FileExists(const std::string& path) { return CurrentEnv().Access(path); }

int CreateFolder(const std::string& path) { return CurrentEnv().CreateFolder(path) ? 0 : 1; }

int CopyFileOver(const std::string& source, const std::string& target, int* copied) {
  if (copied == nullptr) return 1;
  *copied = 0;
  if (!CurrentEnv().CopyFile(source, target)) return 1;
  *copied = 1;
  return 0;
}

bool EnsureFolder(const std::string& path) { return FileExists(path) == 0 || CreateFolder(path) == 0; }

std::int64_t CurrentTimeSeconds() { return CurrentEnv().NowSeconds(); }

}  // namespace cmdpredict
