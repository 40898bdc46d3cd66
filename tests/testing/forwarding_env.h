// A test double that passes every service on to the system, so that a test overrides only the one
// it controls (the clock, a failing write).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/env.h"

namespace cmdpredict {

class ForwardingEnv : public Env {
 public:
  int Access(const std::string& path) override { return SystemEnv().Access(path); }
  bool CreateFolder(const std::string& path) override { return SystemEnv().CreateFolder(path); }
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    return SystemEnv().OpenFolder(path);
  }
  bool ReadFile(const std::string& path, std::string& contents) override {
    return SystemEnv().ReadFile(path, contents);
  }
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return SystemEnv().ReplaceFile(path, contents);
  }
  std::int64_t NowSeconds() override { return SystemEnv().NowSeconds(); }
  std::string LastErrorText() override { return SystemEnv().LastErrorText(); }
};

// The system's services with a clock that stands still at a chosen second.
class FixedClockEnv : public ForwardingEnv {
 public:
  explicit FixedClockEnv(std::int64_t now) : m_now(now) {}
  std::int64_t NowSeconds() override { return m_now; }

 private:
  std::int64_t m_now;
};

}  // namespace cmdpredict
