#include "models/contexttree/context_tree_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/env.h"
#include "support/json/json_document.h"
#include "support/json/json_text.h"
#include "testing/temp_folder.h"
#include "testing/forwarding_env.h"

namespace Quenmar::Intel {
namespace {

using cmdpredict::FixedClockEnv;
using cmdpredict::TempFolder;
using Names = std::vector<std::string>;

constexpr std::int64_t kNow = 1700000000;
const std::string kPlainBackup = "E.ContextTree_1700000000.backup";


// A disk on which every replacement fails before touching the target.
class FailingReplaceEnv final : public FixedClockEnv {
 public:
  FailingReplaceEnv() : FixedClockEnv(kNow) {}
  bool ReplaceFile(const std::string&, const std::string&) override { return false; }
};

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Names FileNames(const std::string& folder) {
  Names names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(ToJson(tree)); }

LoadSeverity Grade(const std::string& text, ContextTree& tree) {
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  return FromJson(tree, cmdpredict::JsonReference(*document->Parse(text.c_str())));
}

ModelVersion VersionOf(const std::string& text) {
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  return ReadVersion(cmdpredict::JsonReference(*document->Parse(text.c_str())));
}

const std::string kHeader = R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"])";

// A file whose root holds the given children, followed by the given header members.
std::string FileText(const std::string& rootChildren, const std::string& header = kHeader) {
  return R"({"i":0,"f":0.0,"c":[)" + rootChildren + "]," + header + "}";
}

// The tree of depth 2 that learnt a, b, a.
const std::string kAbaChildren = R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]})";
const std::string kAbaText = FileText(kAbaChildren);

// A file holding a chain of `levels` nodes below the root, each the only child of the one before.
std::string ChainText(int levels) {
  std::string text = R"({"i":0,"f":0.0,"c":[)";
  for (int level = 0; level < levels; ++level) text += R"({"i":1,"f":1.0,"c":[)";
  for (int level = 0; level < levels; ++level) text += "]}";
  return text + "]," + kHeader + "}";
}

std::vector<std::string> Sequence(int length) {
  std::vector<std::string> items;
  for (int i = 0; i < length; ++i) items.push_back("c" + std::to_string((i * 7 + i / 5) % 13));
  return items;
}

// A temporary model folder, seen through a clock that stands at kNow.
class ModelFileTest : public ::testing::Test {
 protected:
  std::string ModelPath() const { return folder.File("E"); }
  std::string ModelFile() const { return folder.File("E.ContextTree"); }
  // Writes the model file E.ContextTree and loads it into `tree`.
  bool LoadText(const std::string& text) {
    WriteFile(ModelFile(), text);
    return tree.Load(ModelPath());
  }
  // The files of the folder other than the model file.
  Names Backups() const {
    Names names = FileNames(folder.Path());
    names.erase(std::remove(names.begin(), names.end(), "E.ContextTree"), names.end());
    return names;
  }

  TempFolder folder;
  FixedClockEnv clock{kNow};
  cmdpredict::ScopedEnv scopedClock{clock};
  ContextTree tree{100, 1};
};

// --- Saving ----------------------------------------------------------------------------------

class ModelFileSave : public ModelFileTest {};

TEST_F(ModelFileSave, WritesTheDocumentedTextOfTheTreeThatLearntABA) {
  ContextTree learnt(2, 1);
  learnt.AddSequence({"a", "b", "a"});
  ASSERT_TRUE(learnt.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()),
            R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]}],"schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"]})");
}

TEST_F(ModelFileSave, WritesANewTreeAsABareRootWithTheEmptyText) {
  ContextTree empty;
  ASSERT_TRUE(empty.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()),
            R"({"i":0,"f":0.0,"c":[],"schema":"concise","version":"1.0","release":"221.0.0.0","d":0,"encodings":[""]})");
}

TEST_F(ModelFileSave, WritesTheLow32BitsOfTheDepthAsASignedNumber) {
  tree.SetDepth(0x100000007ULL);
  EXPECT_NE(ToFileText(tree)->find(R"("d":7,)"), std::string::npos);
  tree.SetDepth(0x80000000ULL);
  EXPECT_NE(ToFileText(tree)->find(R"("d":-2147483648,)"), std::string::npos);
}

TEST_F(ModelFileSave, EscapesTextsAndWritesFrequenciesInTheJsonLayersNumberFormat) {
  ContextTree learnt(1, 1);
  learnt.AddSequence({"say \"hi\"", "tab\there", "\xC3\xA9/\\"});
  learnt.GetRoot().GetChild(1)->frequency = 2.5e-7;
  learnt.GetRoot().GetChild(2)->frequency = -0.0;
  learnt.GetRoot().GetChild(3)->frequency = 0.1 + 0.2;
  EXPECT_EQ(*ToFileText(learnt),
            R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.5e-7,"c":[]},{"i":2,"f":-0.0,"c":[]},{"i":3,"f":0.3,"c":[]}],)"
            R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":1,)"
            R"("encodings":["","say \"hi\"","tab\there","é/\\"]})");
}

TEST_F(ModelFileSave, WritesTheSameTextAsTheJsonLayerWritesTheTreesObject) {
  ContextTree learnt(6, 1);
  learnt.AddSequence(Sequence(2000));
  EXPECT_EQ(*ToFileText(learnt), TextOf(learnt));
}

TEST_F(ModelFileSave, WritesThousandsOfDistinctFrequenciesAsTheJsonLayerDoes) {
  ContextTree wide(1, 1);
  for (int code = 1; code <= 5000; ++code) wide.GetRoot().GetOrAddChild(code)->frequency = code / 7.0;
  EXPECT_EQ(*ToFileText(wide), TextOf(wide));
}

TEST_F(ModelFileSave, AlwaysAppendsTheExtension) {
  ASSERT_TRUE(tree.Save(folder.File("E1")));
  ASSERT_TRUE(tree.Save(folder.File("E2.ContextTree")));
  EXPECT_EQ(FileNames(folder.Path()), (Names{"E1.ContextTree", "E2.ContextTree.ContextTree"}));
}

TEST_F(ModelFileSave, ReplacesThePreviousFileAndLeavesNoTemporaryFile) {
  WriteFile(ModelFile(), "previous contents, longer than the new text of the empty tree");
  ContextTree empty;
  ASSERT_TRUE(empty.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()), TextOf(empty));
  EXPECT_EQ(FileNames(folder.Path()), Names{"E.ContextTree"});
}

TEST_F(ModelFileSave, FailsAndKeepsThePreviousFileWhenTheReplacementFails) {
  WriteFile(ModelFile(), kAbaText);
  FailingReplaceEnv failing;
  cmdpredict::ScopedEnv scoped(failing);
  EXPECT_FALSE(tree.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()), kAbaText);
}

TEST_F(ModelFileSave, FailsWithoutTraceWhenAFolderStandsWhereTheFileWouldBeRenamedTo) {
  std::filesystem::create_directory(ModelFile());
  WriteFile(folder.File("E.ContextTree/inside"), kAbaText);
  EXPECT_FALSE(tree.Save(ModelPath()));
  EXPECT_EQ(FileNames(folder.Path()), Names{"E.ContextTree"});
  EXPECT_EQ(ReadFile(folder.File("E.ContextTree/inside")), kAbaText);
}

TEST_F(ModelFileSave, FailsInAFolderThatDoesNotExist) {
  EXPECT_FALSE(tree.Save(folder.File("missing/E")));
  EXPECT_TRUE(FileNames(folder.Path()).empty());
}

TEST_F(ModelFileSave, RefusesATreeTooDeepForLoadAndKeepsThePreviousFile) {
  WriteFile(ModelFile(), kAbaText);
  ContextTree deep(kMaxFileTreeHeight + 1, 1);
  deep.AddSequence(Sequence(kMaxFileTreeHeight + 1));
  EXPECT_FALSE(deep.Save(ModelPath()));
  EXPECT_FALSE(ToFileText(deep).has_value());
  EXPECT_EQ(ReadFile(ModelFile()), kAbaText);
}

TEST_F(ModelFileSave, WritesTheDeepestTreeThatLoadCanRead) {
  ContextTree deep(kMaxFileTreeHeight, 1);
  deep.AddSequence(Sequence(kMaxFileTreeHeight));
  ASSERT_TRUE(deep.Save(ModelPath()));
  EXPECT_TRUE(tree.Load(ModelPath()));
  EXPECT_TRUE(Backups().empty());
  EXPECT_EQ(TextOf(tree), TextOf(deep));
}

// --- Round trips -----------------------------------------------------------------------------

class ModelFileRoundTrip : public ModelFileTest {};

TEST_F(ModelFileRoundTrip, SavingTheLoadedTreeWritesTheSameBytes) {
  ContextTree learnt(4, 1);
  learnt.AddSequence(Sequence(500));
  learnt.RemoveLastItem();
  ASSERT_TRUE(learnt.Save(ModelPath()));
  const std::string saved = ReadFile(ModelFile());

  ContextTree loaded(9, 3);
  ASSERT_TRUE(loaded.Load(ModelPath()));
  ASSERT_TRUE(loaded.Save(folder.File("again")));
  EXPECT_EQ(ReadFile(folder.File("again.ContextTree")), saved);
  EXPECT_EQ(Backups(), Names{"again.ContextTree"});
}

TEST_F(ModelFileRoundTrip, LoadedTreeHasTheFilesDepthAnEmptyHistoryAndItsOwnMargin) {
  ContextTree learnt(2, 1);
  learnt.AddSequence({"a", "b", "a"});
  ASSERT_TRUE(learnt.Save(ModelPath()));
  ContextTree loaded(9, 3);
  loaded.AddSequence({"x", "y"});
  ASSERT_TRUE(loaded.Load(ModelPath()));
  EXPECT_EQ(loaded.GetDepth(), 2U);
  EXPECT_EQ(loaded.GetHistoryMargin(), 3U);
  EXPECT_TRUE(loaded.GetHistory().empty());
  EXPECT_EQ(loaded.FindCode("x"), -1);
  EXPECT_EQ(loaded.GetOrAddCode("c"), 3);
  EXPECT_EQ(loaded.GetRoot().GetChild("a")->frequency, 2.0);
}

// Golden files written by earlier releases: each must load in full and save to the same bytes.
class GoldenModelFile : public ModelFileTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(GoldenModelFile, LoadsInFullAndSavesTheSameBytes) {
  const std::string golden = ReadFile(std::string(CMDPREDICT_TEST_DATA_DIR) + "/models/" + GetParam());
  ASSERT_FALSE(golden.empty());
  ASSERT_TRUE(LoadText(golden));
  EXPECT_TRUE(Backups().empty());
  ASSERT_TRUE(tree.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()), golden);
}

INSTANTIATE_TEST_SUITE_P(Releases, GoldenModelFile,
                         ::testing::Values("aba_depth2.ContextTree", "escaped_texts_depth3.ContextTree",
                                           "commands_depth5.ContextTree"));

// --- File names, missing files, text that is not JSON ----------------------------------------

class ModelFileLoad : public ModelFileTest {
 protected:
  ModelFileLoad() {
    tree.SetDepth(2);
    tree.AddSequence({"a", "b", "a"});
  }
  // True when `tree` still holds what the fixture taught it, history included.
  bool Untouched() const { return TextOf(tree) == kAbaText && tree.GetHistory().size() == 3; }
};

TEST_F(ModelFileLoad, AcceptsThePathWithOrWithoutTheExtension) {
  WriteFile(ModelFile(), FileText(""));
  ASSERT_TRUE(tree.Load(ModelPath()));
  EXPECT_EQ(TextOf(tree), FileText(""));
  WriteFile(ModelFile(), kAbaText);
  ASSERT_TRUE(tree.Load(ModelFile()));
  EXPECT_EQ(TextOf(tree), kAbaText);
}

TEST_F(ModelFileLoad, MatchesTheExtensionByExactBytes) {
  WriteFile(folder.File("E.contexttree"), FileText(""));
  EXPECT_FALSE(tree.Load(folder.File("E.contexttree")));
  EXPECT_TRUE(Untouched());
}

TEST_F(ModelFileLoad, FailsForAMissingFileWithoutBackupAndLeavesTheTreeAlone) {
  EXPECT_FALSE(tree.Load(ModelPath()));
  EXPECT_TRUE(Untouched());
  EXPECT_TRUE(FileNames(folder.Path()).empty());
}

TEST_F(ModelFileLoad, FailsForAFolderInPlaceOfTheFileWithoutBackup) {
  std::filesystem::create_directory(ModelFile());
  EXPECT_FALSE(tree.Load(ModelPath()));
  EXPECT_TRUE(Untouched());
  EXPECT_EQ(FileNames(folder.Path()), Names{"E.ContextTree"});
}

TEST_F(ModelFileLoad, FailsForTextThatIsNotJsonAndBacksItUpWithoutVersion) {
  for (const std::string& text : {std::string(), std::string(" \t\r\n"), std::string("{"), kAbaText + "x",
                                  std::string("{'i':0}"), std::string(R"({"i":0,"f":NaN})"),
                                  std::string(R"({"i":0 /*c*/})"), std::string("[1,]")}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(LoadText(text));
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(Backups(), Names{kPlainBackup});
    EXPECT_EQ(ReadFile(folder.File(kPlainBackup)), text);
  }
}

TEST_F(ModelFileLoad, RefusesNestingDeeperThan1024Levels) {
  EXPECT_FALSE(LoadText(ChainText(kMaxFileTreeHeight + 1)));
  EXPECT_TRUE(Untouched());
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileLoad, ReadsNestingOf1024Levels) {
  EXPECT_TRUE(LoadText(ChainText(kMaxFileTreeHeight)));
  EXPECT_TRUE(Backups().empty());
  EXPECT_EQ(TextOf(tree), ChainText(kMaxFileTreeHeight));
}

TEST_F(ModelFileLoad, ReadsTheTextUpToAZeroByte) {
  EXPECT_TRUE(LoadText(kAbaText + std::string(1, '\0') + "garbage"));
  EXPECT_EQ(TextOf(tree), kAbaText);
  EXPECT_TRUE(Backups().empty());
  EXPECT_FALSE(LoadText(kAbaText.substr(0, 30) + std::string(1, '\0') + kAbaText.substr(30)));
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileLoad, EmptiesTheTreeForJsonThatIsNotAnObjectAndBacksItUpWithVersionZero) {
  for (const char* text : {"[1,2]", "null", "42", R"("text")"}) {
    SCOPED_TRACE(text);
    ContextTree graded;
    EXPECT_EQ(Grade(text, graded), kUnusable);
    EXPECT_TRUE(LoadText(text));
    EXPECT_EQ(TextOf(tree), R"({"i":0,"f":0.0,"c":[],"schema":"concise","version":"1.0","release":"221.0.0.0","d":0,"encodings":[]})");
    EXPECT_EQ(Backups(), Names{"E.ContextTree_0.0_1700000000.backup"});
  }
}

TEST_F(ModelFileLoad, NamesBackupsWithTheLow32BitsOfTheTimeAsASignedNumber) {
  FixedClockEnv late(0x180000001LL);
  cmdpredict::ScopedEnv scoped(late);
  EXPECT_FALSE(LoadText("{"));
  EXPECT_EQ(Backups(), Names{"E.ContextTree_-2147483647.backup"});
}

TEST_F(ModelFileLoad, ABackupOfTheSameSecondReplacesTheEarlierOne) {
  EXPECT_FALSE(LoadText("{"));
  EXPECT_FALSE(LoadText("}"));
  EXPECT_EQ(Backups(), Names{kPlainBackup});
  EXPECT_EQ(ReadFile(folder.File(kPlainBackup)), "}");
}

// --- Versions --------------------------------------------------------------------------------

struct VersionCase {
  const char* versionMember;  // inserted into a file that is sound otherwise
  const char* backup;         // the backup's name, or "" when none is made
};

void PrintTo(const VersionCase& versionCase, std::ostream* out) { *out << versionCase.versionMember; }

class ModelFileVersion : public ModelFileTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ModelFileVersion, LoadsTheTreeAndBacksUpAWantingVersionUnderItsNumbers) {
  const std::string header = std::string(R"("schema":"concise",)") + GetParam().versionMember +
                             R"("release":"221.0.0.0","d":2,"encodings":["","a","b"])";
  ContextTree graded;
  EXPECT_EQ(Grade(FileText(kAbaChildren, header), graded), kLoadedFully);
  EXPECT_TRUE(LoadText(FileText(kAbaChildren, header)));
  EXPECT_EQ(TextOf(tree), kAbaText);
  EXPECT_EQ(Backups(), *GetParam().backup ? Names{GetParam().backup} : Names{});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ModelFileVersion,
    ::testing::Values(VersionCase{R"("version":"1.0",)", ""}, VersionCase{R"("version":"2.5",)", ""},
                      VersionCase{R"("version":"1.0.",)", ""}, VersionCase{R"("version":"1x.0y",)", ""},
                      VersionCase{R"("version":"1.0.0",)", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{R"("version":"x.y",)", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{R"("version":"0.9",)", "E.ContextTree_0.9_1700000000.backup"},
                      VersionCase{R"("version":" +1.-1",)", "E.ContextTree_1.-1_1700000000.backup"},
                      VersionCase{R"("version":"1..0",)", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{R"("version":"1.99999999999",)", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{R"("version":7,)", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{"", "E.ContextTree_0.0_1700000000.backup"},
                      VersionCase{R"("v":"0.5","version":"1.0",)", "E.ContextTree_0.5_1700000000.backup"}));

TEST(ReadVersion, SplitsMajorAndMinorAndReadsEachLikeStoi) {
  EXPECT_EQ(VersionOf(R"({"version":" +12.-3x"})").major, 12);
  EXPECT_EQ(VersionOf(R"({"version":" +12.-3x"})").minor, -3);
  EXPECT_EQ(VersionOf(R"({"version":"2147483647.0"})").major, 2147483647);
  EXPECT_EQ(VersionOf(R"({"version":"2147483648.0"})").major, 0);
  EXPECT_EQ(VersionOf(R"(["1.0"])").major, 0);
}

TEST_F(ModelFileTest, BacksUpADamagedFileWithAWantingVersionOnceUnderItsVersion) {
  EXPECT_TRUE(LoadText(FileText(R"({"i":1,"f":2,"c":[]})", R"("schema":"concise","version":"0.9","d":2,"encodings":["","a"])")));
  EXPECT_EQ(Backups(), Names{"E.ContextTree_0.9_1700000000.backup"});
}

// --- Header ----------------------------------------------------------------------------------

class ModelFileHeader : public ModelFileTest {
 protected:
  // Grades the text, then loads it; the tree is left as Load leaves it.
  LoadSeverity GradeAndLoad(const std::string& text) {
    ContextTree graded;
    const LoadSeverity severity = Grade(text, graded);
    EXPECT_TRUE(LoadText(text));
    return severity;
  }
};

TEST_F(ModelFileHeader, ReadsEveryHeaderKeyInItsShortForm) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("s":"concise","v":"1.0","d":2,"e":["","a","b"])")), kLoadedFully);
  EXPECT_EQ(TextOf(tree), kAbaText);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(ModelFileHeader, ANegativeDepthBecomesZeroWithABackup) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("schema":"concise","version":"1.0","d":-5,"encodings":["","a","b"])")),
            kRepaired);
  EXPECT_EQ(tree.GetDepth(), 0U);
  EXPECT_EQ(tree.GetRoot().GetChild("a")->frequency, 2.0);
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileHeader, ADepthThatIsNoIntegerBecomesZeroWithABackup) {
  for (const char* depth : {R"("3")", "3.0", "3000000000", "null"}) {
    SCOPED_TRACE(depth);
    const std::string header = std::string(R"("version":"1.0","d":)") + depth + R"(,"encodings":["","a","b"])";
    EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, header)), kRepaired);
    EXPECT_EQ(tree.GetDepth(), 0U);
    EXPECT_EQ(Backups(), Names{kPlainBackup});
  }
}

TEST_F(ModelFileHeader, AMissingDepthIsZeroWithoutBackupAndTheTreeLearnsNothing) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("schema":"concise","version":"1.0","encodings":["","a","b"])")),
            kLoadedFully);
  EXPECT_EQ(tree.GetDepth(), 0U);
  EXPECT_TRUE(Backups().empty());
  tree.AddSequence({"a", "c"});
  EXPECT_EQ(TextOf(tree), FileText(kAbaChildren, R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":0,"encodings":["","a","b"])"));
}

TEST_F(ModelFileHeader, ConciseWithoutEncodingsKeepsTheCodesWithoutTextsAndIsBackedUp) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("schema":"concise","version":"1.0","d":2)")), kUnusable);
  EXPECT_EQ(tree.HighestCode(), -1);
  EXPECT_EQ(tree.GetRoot().GetChild(1)->frequency, 2.0);
  EXPECT_EQ(tree.GetItemText(1), "");
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileHeader, NeitherSchemaNorEncodingsIsNoDamage) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("version":"1.0","d":2)")), kLoadedFully);
  EXPECT_EQ(tree.GetRoot().GetChild(2)->GetChild(1)->frequency, 1.0);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(ModelFileHeader, EncodingsThatAreNoArrayAreUnusableForConciseAndRepairedOtherwise) {
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("schema":"concise","version":"1.0","d":2,"encodings":{})")),
            kUnusable);
  EXPECT_EQ(GradeAndLoad(FileText(kAbaChildren, R"("schema":"verbose","version":"1.0","d":2,"encodings":"a")")),
            kRepaired);
  EXPECT_EQ(tree.HighestCode(), -1);
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileHeader, EncodingsStopAtTheFirstElementThatIsNoText) {
  EXPECT_EQ(GradeAndLoad(FileText("", R"("schema":"concise","version":"1.0","d":2,"encodings":["","a",5,"b"])")),
            kUnusable);
  EXPECT_EQ(tree.FindCode("a"), 1);
  EXPECT_EQ(tree.FindCode("b"), -1);
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST_F(ModelFileHeader, ARepeatedTextLeavesAGapThatNewTextsAndSavingStepOver) {
  EXPECT_EQ(GradeAndLoad(FileText("", R"("schema":"concise","version":"1.0","d":2,"encodings":["","a","a","b"])")),
            kLoadedFully);
  EXPECT_TRUE(Backups().empty());
  EXPECT_EQ(tree.FindCode("b"), 3);
  EXPECT_EQ(tree.GetOrAddCode("c"), 4);
  EXPECT_EQ(TextOf(tree), FileText("", R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","","b","c"])"));
}

TEST_F(ModelFileHeader, AGapBelowTheCodeOfTheEmptyTextRepeatsTheFirstTextSoThatTheCodesSurviveSaving) {
  EXPECT_EQ(GradeAndLoad(FileText("", R"("version":"1.0","d":2,"encodings":["a","a","b"])")), kLoadedFully);
  EXPECT_EQ(tree.GetOrAddCode(""), 3);
  const std::string saved = TextOf(tree);
  EXPECT_EQ(saved.substr(saved.find("\"encodings\"")), R"("encodings":["a","a","b",""]})");
  EXPECT_TRUE(LoadText(saved));
  EXPECT_EQ(tree.FindCode(""), 3);
  EXPECT_EQ(TextOf(tree), saved);
}

TEST_F(ModelFileHeader, FullKeysAndItemTextsLoadLikeTheConciseForm) {
  const std::string verbose =
      R"({"item":"","frequency":0.0,"children":[{"item":"y","frequency":2.0,"children":[{"item":"x","frequency":1.0}]},)"
      R"({"item":"x","frequency":3.0,"children":[]}],"schema":"verbose","version":"1.0","depth":3,"encodings":["","q"]})";
  EXPECT_EQ(GradeAndLoad(verbose), kLoadedFully);
  EXPECT_TRUE(Backups().empty());
  // Texts without a code receive the next codes in the order their nodes are read.
  EXPECT_EQ(TextOf(tree),
            R"({"i":0,"f":0.0,"c":[{"i":2,"f":2.0,"c":[{"i":3,"f":1.0,"c":[]}]},{"i":3,"f":3.0,"c":[]}],)"
            R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":3,"encodings":["","q","y","x"]})");
}

// --- Nodes -----------------------------------------------------------------------------------

struct NodeCase {
  const char* name;
  const char* rootChildren;  // of a file that is sound otherwise
  LoadSeverity severity;
  const char* expectedChildren;  // the root's children as the loaded tree writes them
};

void PrintTo(const NodeCase& nodeCase, std::ostream* out) { *out << nodeCase.rootChildren; }

class ModelFileNode : public ModelFileTest, public ::testing::WithParamInterface<NodeCase> {};

TEST_P(ModelFileNode, LoadsWhatCanBeUsedAndBacksUpAnyDamage) {
  ContextTree graded;
  EXPECT_EQ(Grade(FileText(GetParam().rootChildren), graded), GetParam().severity);
  EXPECT_TRUE(LoadText(FileText(GetParam().rootChildren)));
  EXPECT_EQ(TextOf(tree), FileText(GetParam().expectedChildren));
  EXPECT_EQ(Backups(), GetParam().severity == kLoadedFully ? Names{} : Names{kPlainBackup});
}

INSTANTIATE_TEST_SUITE_P(
    Damage, ModelFileNode,
    ::testing::Values(
        NodeCase{"IntegerFrequency", R"({"i":1,"f":2,"c":[]},{"i":2,"f":1.0,"c":[]})", kRepaired,
                 R"({"i":1,"f":0.0,"c":[]},{"i":2,"f":1.0,"c":[]})"},
        NodeCase{"NegativeFrequency", R"({"i":1,"f":-2.5,"c":[]})", kRepaired, R"({"i":1,"f":0.0,"c":[]})"},
        NodeCase{"TextFrequency", R"({"i":1,"f":"3.0","c":[]})", kRepaired, R"({"i":1,"f":0.0,"c":[]})"},
        NodeCase{"MissingFrequency", R"({"i":1,"c":[]})", kLoadedFully, R"({"i":1,"f":0.0,"c":[]})"},
        NodeCase{"NegativeZeroFrequency", R"({"i":1,"f":-0.0})", kLoadedFully, R"({"i":1,"f":-0.0,"c":[]})"},
        NodeCase{"ExponentFrequency", R"({"i":1,"f":3E0})", kLoadedFully, R"({"i":1,"f":3.0,"c":[]})"},
        NodeCase{"FullKeyFrequency", R"({"i":1,"frequency":4.25})", kLoadedFully, R"({"i":1,"f":4.25,"c":[]})"},
        NodeCase{"ShortKeyFirst", R"({"i":1,"frequency":9.0,"f":1.5})", kLoadedFully, R"({"i":1,"f":1.5,"c":[]})"},
        NodeCase{"FirstOfRepeatedKeys", R"({"i":1,"i":2,"f":1.0})", kLoadedFully, R"({"i":1,"f":1.0,"c":[]})"},
        NodeCase{"BadChildren",
                 R"(null,5,{"f":1.0},{"i":3000000000,"f":1.0},{"i":2.0},{"i":true},[],{"i":2,"f":1.0,"c":[]})",
                 kRepaired, R"({"i":2,"f":1.0,"c":[]})"},
        NodeCase{"ChildrenNotAnArray", R"({"i":1,"f":2.0,"c":{"i":2}},{"i":2,"f":1.0})", kRepaired,
                 R"({"i":1,"f":2.0,"c":[]},{"i":2,"f":1.0,"c":[]})"},
        NodeCase{"DamageTwoLevelsDown", R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[{"f":1.0},{"i":1,"f":1.0}]}]})",
                 kRepaired, R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]}]})"},
        NodeCase{"LaterDuplicateCodeWins", R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0}]},{"i":1,"f":7.0})", kLoadedFully,
                 R"({"i":1,"f":7.0,"c":[]})"},
        NodeCase{"ItemAsText", R"({"i":"b","f":1.0},{"i":"a","f":2.0})", kLoadedFully,
                 R"({"i":1,"f":2.0,"c":[]},{"i":2,"f":1.0,"c":[]})"},
        NodeCase{"NegativeCode", R"({"i":-7,"f":1.0})", kLoadedFully, R"({"i":-7,"f":1.0,"c":[]})"}),
    [](const ::testing::TestParamInfo<NodeCase>& info) { return std::string(info.param.name); });

TEST_F(ModelFileTest, ARootWithoutItemIsUnusableAndKeepsOnlyTheHeader) {
  const std::string text = R"({"f":0.0,"c":[{"i":1,"f":2.0}],)" + kHeader + "}";
  ContextTree graded;
  EXPECT_EQ(Grade(text, graded), kUnusable);
  EXPECT_TRUE(LoadText(text));
  EXPECT_EQ(TextOf(tree), R"({"i":-1,"f":0.0,"c":[],)" + kHeader + "}");
  EXPECT_EQ(Backups(), Names{kPlainBackup});
}

TEST(NodeFromJson, AnItemTextNeedsAnOwnerTree) {
  ContextTree::Node orphan(nullptr, nullptr);
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  EXPECT_EQ(FromJson(orphan, cmdpredict::JsonReference(*document->Parse(R"({"i":"a","f":1.0})"))), kUnusable);
  EXPECT_EQ(orphan.item, -1);
}

TEST(NodeFromJson, ResetsTheNodeBeforeReading) {
  ContextTree tree(2, 1);
  tree.AddSequence({"a", "b"});
  ContextTree::Node& a = *tree.GetRoot().GetChild("a");
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  EXPECT_EQ(FromJson(a, cmdpredict::JsonReference(*document->Parse(R"({"i":5})"))), kLoadedFully);
  EXPECT_EQ(a.item, 5);
  EXPECT_EQ(a.frequency, 0.0);
  EXPECT_TRUE(a.children.empty());
}

}  // namespace
}  // namespace Quenmar::Intel
