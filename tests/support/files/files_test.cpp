// The file, clock and text utilities.
#include "support/files/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/paths.h"
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
