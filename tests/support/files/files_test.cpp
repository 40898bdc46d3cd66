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
#include <vector>

#include "platform/paths.h"
#include "support/files/folder_search.h"
#include "support/files/text.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

// The folder holds the regular files a, b and c, and a folder "sub" that holds only a
// folder.
TEST(Files, CreateFoldersCopyFilesAndSearchEachRegularFileOfAFolderOnce) {
  TempFolder folder;
  const std::string sub = folder.File("sub"), source = folder.File("a"), target = folder.File("c");
  EXPECT_EQ(FileExists(sub), ENOENT);
  EXPECT_EQ(CreateFolder(sub), 0);
  EXPECT_EQ(CreateFolder(sub), 1);
  EXPECT_EQ(CreateFolder(folder.File("missing/sub")), 1);
  std::ofstream(source) << "new";
  std::ofstream(folder.File("b")) << "b";
  std::ofstream(target) << "the old and longer contents";
  int copied = 7;
  EXPECT_EQ(CopyFileOver(source, target, &copied), 0);
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(std::filesystem::file_size(target), 3U);
  EXPECT_EQ(CopyFileOver(folder.File("missing"), target, &copied), 1);
  EXPECT_EQ(copied, 0);
  EXPECT_EQ(CopyFileOver(source, target, nullptr), 1);
  EXPECT_NEAR(CurrentTimeSeconds(), std::time(nullptr), 1);

  std::filesystem::create_directory(sub + "/one");
  std::int32_t first = -1, second = -1, third = -1;
  EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), &first), 0);
  EXPECT_EQ(OpenFolderSearch(folder.File("missing").c_str(), &third), 1);
  EXPECT_EQ(OpenFolderSearch(nullptr, &third), 1);
  EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), &second), 0);
  EXPECT_EQ(OpenFolderSearch(sub.c_str(), &third), 0);
  EXPECT_EQ(second, first + 1);
  FolderEntry entry;
  EXPECT_EQ(NextFolderFile(third, &entry), 1);
  EXPECT_EQ(NextFolderFile(second, &entry), 0);
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(second, &entry), 1);
  std::vector<std::string> names;
  for (int call = 0; call < 4 && NextFolderFile(first, &entry) == 0; ++call) names.push_back(entry.fileName);
  EXPECT_THAT(names, ::testing::UnorderedElementsAre("a", "b", "c"));
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(first, nullptr), 1);
  EXPECT_EQ(NextFolderFile(0, &entry), 1);
  EXPECT_EQ(entry.searchId, 0);
}

TEST(Files, EnsureFolderWithParentsCreatesEveryMissingFolderAbove) {
  TempFolder folder;
  const std::string separator(1, kPathSeparator);
  const std::string deep = folder.File("a" + separator + "b" + separator + "c" + separator);
  EXPECT_TRUE(EnsureFolderWithParents(deep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(EnsureFolderWithParents(deep));  // exists already
  std::ofstream(folder.File("file")) << "a file";
  EXPECT_FALSE(EnsureFolderWithParents(folder.File("file" + separator + "d" + separator + "e")));
}

TEST(Text, FormatsComparesSuffixesAndSplits) {
  EXPECT_EQ(FormatText("%s_%d%s", "E1.ContextTree", -5, ".backup"), "E1.ContextTree_-5.backup");
  EXPECT_EQ(FormatText("<%s>", std::string(5000, 'x').c_str()), "<" + std::string(5000, 'x') + ">");
  EXPECT_TRUE(EndsWith("E1.ContextTree", ".ContextTree") && EndsWith("", "") && EndsWith("a\0b"s, "\0b"s));
  EXPECT_FALSE(EndsWith("E1.contexttree", ".ContextTree") || EndsWith("Tree", ".ContextTree"));
  // Pieces are cut at the first delimiter only and appended, and the result counts the whole list.
  std::vector<std::string> list{"old"};
  EXPECT_EQ(SplitText(",a,,b", ",.", list), 5);
  EXPECT_EQ(SplitText("", ",.", list), 5);
  EXPECT_EQ(SplitText("1.2,3", ",.", list), 7);
  EXPECT_EQ(SplitText("a,b,\0,c"s, ",.", list), 9);  // no piece after the last delimiter or the zero byte
  EXPECT_EQ(SplitText("x,y", "", list), 0);
  EXPECT_EQ(list, (std::vector<std::string>{"old", "", "a", "", "b", "1.2", "3", "a", "b"}));
}

}  // namespace
}  // namespace cmdpredict
