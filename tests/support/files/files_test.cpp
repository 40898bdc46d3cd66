#include "support/files/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FileExists, FindsFilesAndFolders) {
  TempFolder folder;
  WriteFile(folder.File("f"), "x");
  EXPECT_EQ(FileExists(folder.File("f")), 0);
  EXPECT_EQ(FileExists(folder.Path()), 0);
}

TEST(FileExists, GivesTheSystemsErrorNumberForAMissingPath) {
  TempFolder folder;
  EXPECT_EQ(FileExists(folder.File("missing")), ENOENT);
}

TEST(CreateFolder, CreatesOneLevel) {
  TempFolder folder;
  EXPECT_EQ(CreateFolder(folder.File("sub")), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("sub")));
}

TEST(CreateFolder, FailsForAFolderThatExists) {
  TempFolder folder;
  EXPECT_EQ(CreateFolder(folder.Path()), 1);
}

TEST(CreateFolder, FailsWithoutTheParent) {
  TempFolder folder;
  EXPECT_EQ(CreateFolder(folder.File("missing/sub")), 1);
  EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));
}

TEST(CopyFileOver, ReplacesAnExistingTarget) {
  TempFolder folder;
  WriteFile(folder.File("source"), "new");
  WriteFile(folder.File("target"), "the old and longer contents");
  int copied = 7;
  EXPECT_EQ(CopyFileOver(folder.File("source"), folder.File("target"), &copied), 0);
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(ReadFile(folder.File("target")), "new");
}

TEST(CopyFileOver, FailsWithTheFlagClearedForAMissingSource) {
  TempFolder folder;
  int copied = 7;
  EXPECT_EQ(CopyFileOver(folder.File("missing"), folder.File("target"), &copied), 1);
  EXPECT_EQ(copied, 0);
  EXPECT_FALSE(std::filesystem::exists(folder.File("target")));
}

TEST(CopyFileOver, FailsWithoutAFlag) {
  TempFolder folder;
  WriteFile(folder.File("source"), "x");
  EXPECT_EQ(CopyFileOver(folder.File("source"), folder.File("target"), nullptr), 1);
  EXPECT_FALSE(std::filesystem::exists(folder.File("target")));
}

// The system's services with a clock that the test sets.
class FixedClockEnv final : public Env {
 public:
  explicit FixedClockEnv(std::int64_t now) : m_now(now) {}
  int Access(const std::string& path) override { return SystemEnv().Access(path); }
  bool CreateFolder(const std::string& path) override { return SystemEnv().CreateFolder(path); }
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    return SystemEnv().OpenFolder(path);
  }
  bool CopyFile(const std::string& source, const std::string& target) override {
    return SystemEnv().CopyFile(source, target);
  }
  bool ReadFile(const std::string& path, std::string& contents) override {
    return SystemEnv().ReadFile(path, contents);
  }
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return SystemEnv().ReplaceFile(path, contents);
  }
  std::int64_t NowSeconds() override { return m_now; }

 private:
  std::int64_t m_now;
};

TEST(CurrentTimeSeconds, ReadsTheCalendarClock) {
  const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
  const std::int64_t now = CurrentTimeSeconds();
  const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
}

TEST(CurrentTimeSeconds, KeepsAllSixtyFourBitsOfTheClock) {
  FixedClockEnv env(0x123456789ALL);
  ScopedEnv scoped(env);
  EXPECT_EQ(CurrentTimeSeconds(), 0x123456789ALL);
}

}  // namespace
}  // namespace cmdpredict
