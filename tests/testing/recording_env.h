// A test double that passes every service on to the system and logs each file and folder call in
// order, so that a test sees which paths an operation touched (or that it touched none). Writes and
// folder creations at chosen paths can be made to fail without reaching the disk, with a chosen
// error text (a full disk unless a test says otherwise).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "testing/forwarding_env.h"

namespace cmdpredict {

class RecordingEnv : public ForwardingEnv {
 public:
  // Entries read "<service> <path>", for example "ReplaceFile /tmp/x/E1.ContextTree".
  std::vector<std::string> calls;
  // ReplaceFile of these paths fails and leaves the disk alone.
  std::set<std::string> failingWrites;
  // CreateFolder of these paths fails and leaves the disk alone.
  std::set<std::string> failingFolders;
  // What LastErrorText answers after one of those failures.
  std::string injectedErrorText = "No space left on device";
  // When set, the clock stands still at this second.
  std::optional<std::int64_t> now;

  // The paths given to one service, in call order.
  std::vector<std::string> PathsOf(const std::string& service) const {
    std::vector<std::string> paths;
    for (const std::string& call : calls) {
      if (call.rfind(service + " ", 0) == 0) paths.push_back(call.substr(service.size() + 1));
    }
    return paths;
  }

  int Access(const std::string& path) override { return ForwardingEnv::Access(Log("Access", path)); }
  bool CreateFolder(const std::string& path) override {
    return !Injected(failingFolders, Log("CreateFolder", path)) && ForwardingEnv::CreateFolder(path);
  }
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    return ForwardingEnv::OpenFolder(Log("OpenFolder", path));
  }
  bool ReadFile(const std::string& path, std::string& contents) override {
    return ForwardingEnv::ReadFile(Log("ReadFile", path), contents);
  }
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return !Injected(failingWrites, Log("ReplaceFile", path)) && ForwardingEnv::ReplaceFile(path, contents);
  }
  std::int64_t NowSeconds() override { return now ? *now : ForwardingEnv::NowSeconds(); }
  std::string LastErrorText() override {
    return m_lastFailureInjected ? injectedErrorText : ForwardingEnv::LastErrorText();
  }

 private:
  // Logs the call and gives the path back, so that an override can forward it in the same breath.
  const std::string& Log(const std::string& service, const std::string& path) {
    calls.push_back(service + " " + path);
    return path;
  }

  // Whether the call on the path is one that must fail; remembered for LastErrorText.
  bool Injected(const std::set<std::string>& failing, const std::string& path) {
    m_lastFailureInjected = failing.count(path) != 0;
    return m_lastFailureInjected;
  }

  bool m_lastFailureInjected = false;
};

}  // namespace cmdpredict
