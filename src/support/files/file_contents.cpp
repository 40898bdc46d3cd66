#include "support/files/file_contents.h"

#include "platform/env.h"

namespace cmdpredict {

FileResult ReadWholeFile(const std::string& path, std::string& contents) {
  if (!CurrentEnv().ReadFile(path, contents)) return FileResult::Failure(CurrentEnv().LastErrorText());
  return FileResult::Success();
}

FileResult WriteFileAtomically(const std::string& path, const std::string& contents) {
  if (!CurrentEnv().ReplaceFile(path, contents)) return FileResult::Failure(CurrentEnv().LastErrorText());
  return FileResult::Success();
}

FileResult WriteFileAtomically(const std::string& path, const ContentWriter& write) {
  if (!CurrentEnv().ReplaceFileFrom(path, write)) return FileResult::Failure(CurrentEnv().LastErrorText());
  return FileResult::Success();
}

}  // namespace cmdpredict
