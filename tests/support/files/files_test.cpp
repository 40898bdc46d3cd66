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
#include "testing/forwarding_env.h"

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
