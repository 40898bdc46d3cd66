// A test double that passes every service on to the system and logs each file and folder call in
// order, so that a test sees which paths an operation touched (or that it touched none). Writes to
// chosen paths can be made to fail without reaching the disk.
#pragma once

#include <memory>
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
    return ForwardingEnv::CreateFolder(Log("CreateFolder", path));
  }
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    return ForwardingEnv::OpenFolder(Log("OpenFolder", path));
  }
  bool CopyFile(const std::string& source, const std::string& target) override {
    Log("CopyFile", source + " " + target);
    return ForwardingEnv::CopyFile(source, target);
  }
  bool ReadFile(const std::string& path, std::string& contents) override {
    return ForwardingEnv::ReadFile(Log("ReadFile", path), contents);
  }
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return failingWrites.count(Log("ReplaceFile", path)) == 0 && ForwardingEnv::ReplaceFile(path, contents);
  }

 private:
  // Logs the call and gives the path back, so that an override can forward it in the same breath.
  const std::string& Log(const std::string& service, const std::string& path) {
    calls.push_back(service + " " + path);
    return path;
  }
};

}  // namespace cmdpredict
