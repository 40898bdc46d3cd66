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
using Texts = std::vector<std::string>;

class Files : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder.File(name)) << text;
  }

  const std::string sep{kPathSeparator};
  TempFolder folder;
  const std::string sub = folder.File("sub");
};

TEST_F(Files, FileExistsAnswersTheSystemsErrorForAMissingPath) { EXPECT_EQ(FileExists(sub), ENOENT); }

TEST_F(Files, CreateFolderFailsForAFolderThatExists) { EXPECT_EQ(CreateFolder(folder.Path()), 1); }

TEST_F(Files, CopyFileOverReplacesTheTargetAndSetsTheFlag) {
  Write("a", "new");
  Write("c", "the old and longer contents");
  int copied = 7;
  EXPECT_EQ(CopyFileOver(folder.File("a"), folder.File("c"), &copied), 0);
  EXPECT_EQ(copied, 1);
  EXPECT_EQ(std::filesystem::file_size(folder.File("c")), 3U);
}

TEST_F(Files, CopyFileOverOfAMissingFileFailsAndClearsTheFlag) {
  int copied = 7;
  EXPECT_EQ(CopyFileOver(folder.File("missing"), folder.File("c"), &copied), 1);
  EXPECT_EQ(copied, 0);
}

TEST_F(Files, CopyFileOverWithoutAFlagFails) {
  Write("a", "new");
  EXPECT_EQ(CopyFileOver(folder.File("a"), folder.File("c"), nullptr), 1);
}

TEST(Clock, CurrentTimeSecondsIsTheSystemsTime) { EXPECT_NEAR(CurrentTimeSeconds(), std::time(nullptr), 1); }

TEST_F(Files, EnsureFolderWithParentsCreatesEveryMissingFolderAbove) {
  EXPECT_TRUE(EnsureFolderWithParents(folder.File("a" + sep + "b" + sep + "c" + sep)));
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("a" + sep + "b" + sep + "c")));
}

TEST_F(Files, EnsureFolderWithParentsSucceedsForAFolderThatExists) {
  EXPECT_TRUE(EnsureFolderWithParents(folder.Path()));
}

TEST_F(Files, EnsureFolderWithParentsFailsBelowAFile) {
  Write("file", "a file");
  EXPECT_FALSE(EnsureFolderWithParents(folder.File("file" + sep + "d" + sep + "e")));
}

// The folder holds the regular files a, b and c and the folder "sub".
class FolderSearch : public Files {
 protected:
  FolderSearch() {
    for (const char* name : {"a", "b", "c"}) Write(name, name);
    std::filesystem::create_directory(sub);
  }
  // The names that the search yields, at most 4.
  static Texts Names(std::int32_t search) {
    Texts names;
    FolderEntry entry;
    while (names.size() < 4 && NextFolderFile(search, &entry) == 0) names.push_back(entry.fileName);
    return names;
  }
  std::int32_t Open() const {
    std::int32_t search = -1;
    EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), &search), 0);
    return search;
  }
};

TEST_F(FolderSearch, YieldsEachRegularFileOfTheFolderOnce) {
  EXPECT_THAT(Names(Open()), ::testing::UnorderedElementsAre("a", "b", "c"));
}

TEST_F(FolderSearch, OpenFailsWithoutAFolder) {
  std::int32_t search = -1;
  EXPECT_EQ(OpenFolderSearch(folder.File("missing").c_str(), &search), 1);
  EXPECT_EQ(OpenFolderSearch(nullptr, &search), 1);
}

TEST_F(FolderSearch, NumbersEachSearchOneAboveTheOneBefore) {
  const std::int32_t first = Open();
  EXPECT_EQ(Open(), first + 1);
}

TEST_F(FolderSearch, YieldsNothingOnceClosed) {
  FolderEntry entry;
  entry.searchId = Open();
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(entry.searchId, &entry), 1);
}

TEST_F(FolderSearch, NextNamesAnUnknownSearchInTheEntryAndFails) {
  FolderEntry entry;
  EXPECT_EQ(NextFolderFile(987654, &entry), 1);
  EXPECT_EQ(entry.searchId, 987654);
}

TEST_F(FolderSearch, NextWithoutAnEntryFails) { EXPECT_EQ(NextFolderFile(Open(), nullptr), 1); }

TEST(Text, FormatTextFormatsAsPrintfDoes) {
  EXPECT_EQ(FormatText("%s_%d%s", "E1.ContextTree", -5, ".backup"), "E1.ContextTree_-5.backup");
}

TEST(Text, FormatTextWritesLongTexts) {
  EXPECT_EQ(FormatText("<%s>", std::string(5000, 'x').c_str()), "<" + std::string(5000, 'x') + ">");
}

TEST(Text, EndsWithComparesTheLastBytes) {
  EXPECT_TRUE(EndsWith("E1.ContextTree", ".ContextTree"));
  EXPECT_TRUE(EndsWith("", ""));
  EXPECT_TRUE(EndsWith("a\0b"s, "\0b"s));
  EXPECT_FALSE(EndsWith("E1.contexttree", ".ContextTree"));
  EXPECT_FALSE(EndsWith("Tree", ".ContextTree"));
}

// Pieces are cut at the first delimiter only and appended, and the result counts the whole list.
TEST(Text, SplitTextAppendsThePiecesBetweenDelimiters) {
  const struct {
    const char* name;
    std::string text;
    Texts pieces;
  } rows[] = {{"empty pieces", ",a,,b", {"old", "", "a", "", "b"}},
              {"an empty text", "", {"old"}},
              {"the first delimiter only", "1.2,3", {"old", "1.2", "3"}},
              {"up to a zero byte", "a,b,\0,c"s, {"old", "a", "b"}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Texts pieces{"old"};
    EXPECT_EQ(SplitText(row.text, ",.", pieces), static_cast<int>(row.pieces.size()));
    EXPECT_EQ(pieces, row.pieces);
  }
}

TEST(Text, SplitTextWithoutDelimitersChangesNothing) {
  Texts pieces{"old"};
  EXPECT_EQ(SplitText("x,y", "", pieces), 0);
  EXPECT_EQ(pieces, Texts{"old"});
}

}  // namespace
}  // namespace cmdpredict
