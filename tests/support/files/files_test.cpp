// The file, folder-search, clock and text utilities.
#include "support/files/files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/files/folder_search.h"
#include "support/files/text.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

TEST(Files, CreateOneFolderLevelAndCopyFilesOver) {
  TempFolder folder;
  const std::string sub = folder.File("sub"), source = folder.File("source"),
                    target = folder.File("sub/target");
  EXPECT_EQ(FileExists(sub), ENOENT);
  EXPECT_EQ(CreateFolder(sub), 0);
  EXPECT_EQ(CreateFolder(sub), 1);
  EXPECT_EQ(CreateFolder(folder.File("missing/sub")), 1);
  std::ofstream(source) << "new";
  std::ofstream(target) << "the old and longer contents";
  int copied = 7;
  EXPECT_EQ(CopyFileOver(source, target, &copied), 0);
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(std::filesystem::file_size(target), 3U);
  EXPECT_EQ(CopyFileOver(folder.File("missing"), target, &copied), 1);
  EXPECT_EQ(copied, 0);
  EXPECT_EQ(CopyFileOver(source, target, nullptr), 1);
  EXPECT_NEAR(CurrentTimeSeconds(), std::time(nullptr), 1);
}

TEST(FolderSearch, NumbersSearchesAndNamesEachRegularFileOnce) {
  TempFolder folder;
  for (const char* name : {"a.ContextTree", "b", "c"}) std::ofstream(folder.File(name)) << "x";
  const std::string sub = folder.File("sub");
  std::filesystem::create_directories(sub + "/one");
  std::filesystem::create_directory_symlink(sub + "/one", sub + "/link to one");
  std::filesystem::create_symlink(sub + "/nowhere", sub + "/dangling link");
  std::int32_t first = -1, second = -1, third = -1;
  EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), &first), 0);
  EXPECT_EQ(OpenFolderSearch(folder.File("missing").c_str(), &third), 1);
  EXPECT_EQ(OpenFolderSearch(nullptr, &third), 1);
  EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), &second), 0);
  EXPECT_EQ(OpenFolderSearch(sub.c_str(), &third), 0);
  EXPECT_EQ(second, first + 1);
  FolderEntry entry;
  EXPECT_EQ(NextFolderFile(third, &entry), 1);  // sub-folders and links only
  EXPECT_EQ(NextFolderFile(second, &entry), 0);
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(second, &entry), 1);
  std::vector<std::string> names;
  for (int call = 0; call < 4 && NextFolderFile(first, &entry) == 0; ++call) names.push_back(entry.fileName);
  EXPECT_THAT(names, ::testing::UnorderedElementsAre("a.ContextTree", "b", "c"));
  EXPECT_EQ(entry.searchId, first);
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(first, nullptr), 1);
  EXPECT_EQ(NextFolderFile(0, &entry), 1);
  EXPECT_EQ(entry.searchId, 0);
}

TEST(Text, FormatsComparesSuffixesAndSplits) {
  const std::string longText(5000, 'x');
  EXPECT_EQ(FormatText("%s_%d%s", "E1.ContextTree", -5, ".backup"), "E1.ContextTree_-5.backup");
  EXPECT_EQ(FormatText("<%s>", longText.c_str()), "<" + longText + ">");
  EXPECT_TRUE(EndsWith("E1.ContextTree", ".ContextTree") && EndsWith("", "") && EndsWith("a\0b"s, "\0b"s));
  EXPECT_FALSE(EndsWith("E1.contexttree", ".ContextTree") || EndsWith("Tree", ".ContextTree"));
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"a,,b", {"old", "a", "", "b"}}, {"a,b,", {"old", "a", "b"}},
      {",a", {"old", "", "a"}},        {"", {"old"}},
      {"1.2,3", {"old", "1.2", "3"}},  {"a,b\0,c"s, {"old", "a", "b"}}};
  for (const auto& [text, pieces] : cases) {
    std::vector<std::string> list{"old"};
    EXPECT_EQ(SplitText(text, ",.", list), static_cast<int>(pieces.size())) << text;
    EXPECT_EQ(list, pieces) << text;
  }
  std::vector<std::string> list{"old"};
  EXPECT_EQ(SplitText("x,y", "", list), 0);
  EXPECT_EQ(list.size(), 1U);
}

}  // namespace
}  // namespace cmdpredict
