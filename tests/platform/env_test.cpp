#include "platform/env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// A folder that holds the file E.ContextTree.
class ReplaceFileTest : public ::testing::Test {
 protected:
  ReplaceFileTest() { std::ofstream(target) << "old"; }
  Names Files() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
      names.insert(entry.path().filename().string());
    return names;
  }
  std::string Contents(const std::string& path) const {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
  }

  TempFolder folder;
  const std::string target = folder.File("E.ContextTree");
};

TEST_F(ReplaceFileTest, ReplacesTheFileWithoutLeavingATemporary) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(Contents(target), "new");
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(ReplaceFileTest, RemovesItsTemporaryWhenTheRenameFails) {
  fs::create_directory(folder.File("F.ContextTree"));
  EXPECT_FALSE(SystemEnv().ReplaceFile(folder.File("F.ContextTree"), "new"));
  EXPECT_EQ(Files(), (Names{"E.ContextTree", "F.ContextTree"}));
}

TEST_F(ReplaceFileTest, RemovesTheTemporariesThatKilledSavesOfTheSameFileLeft) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "first"));
  for (const char* stale : {".E.ContextTree.0000000000000001.tmp", ".E.ContextTree.FFFFFFFFFFFFFFFF.tmp"}) {
    std::ofstream(folder.File(stale)) << "half a mod";
  }
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(ReplaceFileTest, RemovesTheTemporariesOfEveryFileThatKilledSavesLeftAtTheFirstSaveIntoAFolder) {
  std::ofstream(folder.File(".F.ContextTree.0000000000000001.tmp")) << "half a mod";
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

TEST_F(ReplaceFileTest, KeepsTheTemporariesOfOtherFilesAfterTheFirstSaveIntoAFolder) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "first"));
  const Names others{".F.ContextTree.0000000000000001.tmp", ".E.ContextTree.backup.0000000000000001.tmp",
                     "E.ContextTree.0000000000000001.tmp"};
  for (const std::string& other : others) std::ofstream(folder.File(other)) << "other";
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  Names expected = others;
  expected.insert("E.ContextTree");
  EXPECT_EQ(Files(), expected);
}

}  // namespace
}  // namespace cmdpredict
