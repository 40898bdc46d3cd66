// What a file or folder operation of the file layer gives back: success, or failure together with
// the system's reason, taken at the moment the operation failed so that no later call can change it.
#pragma once

#include <string>
#include <utility>

namespace cmdpredict {

class [[nodiscard]] FileResult {
 public:
  static FileResult Success() { return FileResult(true, std::string()); }
  static FileResult Failure(std::string reason) { return FileResult(false, std::move(reason)); }

  explicit operator bool() const { return m_succeeded; }
  // The system's words for the failure ("No space left on device"); empty after a success.
  const std::string& FailureReason() const { return m_failureReason; }

 private:
  FileResult(bool succeeded, std::string failureReason)
      : m_succeeded(succeeded), m_failureReason(std::move(failureReason)) {}

  bool m_succeeded;
  std::string m_failureReason;
};

}  // namespace cmdpredict
