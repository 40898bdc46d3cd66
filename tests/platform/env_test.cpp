// The system's file services as every platform offers them.
#include "platform/env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;
using Names = std::set<std::string>;

const std::string kBytes = "a\0b\r\n\xff"s;

// A folder that holds the file E.ContextTree.
class SystemFiles : public ::testing::Test {
 protected:
  SystemFiles() { Write("E.ContextTree", "the old and longer contents"); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder.File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& path) const {
    std::string contents;
    return SystemEnv().ReadFile(path, contents) ? contents : "(unreadable)";
  }
  Names Files() const {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
      names.insert(entry.path().filename().string());
    return names;
  }

  TempFolder folder;
  const std::string target = folder.File("E.ContextTree");
};

TEST_F(SystemFiles, ReadFileGivesEveryByteOfTheFile) {
  Write("f", kBytes);
  EXPECT_EQ(Read(folder.File("f")), kBytes);
}

TEST_F(SystemFiles, ReadFileFailsWithTheSystemsReasonForAMissingFile) {
  std::string contents;
  EXPECT_FALSE(SystemEnv().ReadFile(folder.File("missing"), contents));
  EXPECT_NE(SystemEnv().LastErrorText(), "");
}

TEST_F(SystemFiles, ReadFileFailsForAFolder) {
  std::string contents;
  EXPECT_FALSE(SystemEnv().ReadFile(folder.Path(), contents));
}

TEST_F(SystemFiles, ReplaceFileReplacesTheWholeFileWithoutLeavingATemporary) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, kBytes));
  EXPECT_EQ(Read(target), kBytes);
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(SystemFiles, ReplaceFileRemovesItsTemporaryWhenTheRenameFails) {
  std::filesystem::create_directory(folder.File("F.ContextTree"));
  EXPECT_FALSE(SystemEnv().ReplaceFile(folder.File("F.ContextTree"), "new"));
  EXPECT_EQ(Files(), (Names{"E.ContextTree", "F.ContextTree"}));
}

TEST_F(SystemFiles, ReplaceFileRemovesTheTemporariesThatKilledSavesOfTheSameFileLeft) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "first"));
  for (const char* stale : {".E.ContextTree.0000000000000001.tmp", ".E.ContextTree.FFFFFFFFFFFFFFFF.tmp"})
    Write(stale, "half a model");
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(SystemFiles, ReplaceFileRemovesTheTemporariesOfEveryFileThatKilledSavesLeftAtTheFirstSaveIntoAFolder) {
  Write(".F.ContextTree.0000000000000001.tmp", "half a model");
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(SystemFiles, ReplaceFileKeepsTheTemporariesOfOtherFilesAfterTheFirstSaveIntoAFolder) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "first"));
  Names expected{".F.ContextTree.0000000000000001.tmp", ".E.ContextTree.backup.0000000000000001.tmp",
                 "E.ContextTree.0000000000000001.tmp"};
  for (const std::string& other : expected) Write(other, "other");
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  expected.insert("E.ContextTree");
  EXPECT_EQ(Files(), expected);
}

}  // namespace
}  // namespace cmdpredict
