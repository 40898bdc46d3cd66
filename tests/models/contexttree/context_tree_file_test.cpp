#include "models/contexttree/context_tree_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"
#include "support/json/json_text.h"
#include "testing/diagnostic_log.h"
#include "testing/forwarding_env.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

namespace fs = std::filesystem;
using cmdpredict::DiagnosticKind;
using cmdpredict::KindsAndPaths;
using cmdpredict::SystemEnv;
using Names = std::set<std::string>;

const std::string kBackup = "E.ContextTree_1700000000.backup";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(ToJson(tree)); }

// A file whose root holds the children, followed by the header members (empty ones left out).
std::string FileText(const std::string& children, std::initializer_list<std::string> header,
                     const std::string& rootItem = R"("i":0,)") {
  std::string text = "{" + rootItem + R"("f":0.0,"c":[)" + children + "]";
  for (const std::string& member : header) text += member.empty() ? "" : "," + member;
  return text + "}";
}

// The text that Save writes for a tree of the depth and codes whose root holds the children.
std::string Saved(const std::string& children, int depth = 2, const std::string& codes = R"("","a","b")") {
  return FileText(children, {R"("schema":"concise","version":"1.0","release":"221.0.0.0")",
                             "\"d\":" + std::to_string(depth), R"("encodings":[)" + codes + "]"});
}

// The tree of depth 2 that learnt a, b, a: a (2.0) followed by b, and b followed by a.
const std::string kAbaChildren =
    R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]})";
const std::string kAbaText = Saved(kAbaChildren);
// Header members of files read, and files of the a, b, a tree with the header members given.
const std::string kConcise = R"("schema":"concise")", kV1 = R"("version":"1.0")", kD2 = R"("d":2)";
const std::string kCodes = R"("e":["","a","b"])";
std::string WithHeader(std::initializer_list<std::string> header) { return FileText(kAbaChildren, header); }
std::string WithDepth(const std::string& depth) { return WithHeader({kV1, depth, kCodes}); }
// A file of a sound header whose root holds the children.
std::string WithChildren(const std::string& children) {
  return FileText(children, {kConcise, kV1, kD2, kCodes});
}

const std::string kLeaf1 = R"({"i":1,"f":0.0,"c":[]})", kLeaf2 = R"({"i":2,"f":1.0,"c":[]})";

std::unique_ptr<ContextTree> TreeThatLearnt(int depth, int items) {
  auto tree = std::make_unique<ContextTree>(depth, 1);
  for (int i = 0; i < items; ++i) tree->AddItem("c" + std::to_string((i * 7 + i / 5) % 13));
  return tree;
}

struct NamedText {
  const char* name;
  std::string text;
};

// Damage that befalls a model file; strict JSON is the JSON layer's to test.
std::vector<NamedText> NotJson() {
  return {{"an empty file", ""},
          {"a truncated file", kAbaText.substr(0, kAbaText.size() - 1)},
          {"a tree too deep for the JSON layer", TextOf(*TreeThatLearnt(kMaxFileTreeHeight + 1, 600))}};
}

// A file that holds JSON, how its content is graded, and the text of the tree loaded from it by a tree of
// depth 2 (which it keeps when the file's depth cannot be used). One row per rule.
struct GradedFile {
  const char* name;
  std::string text;
  LoadSeverity severity;
  std::string loaded;
};

std::vector<GradedFile> GradedFiles() {
  const std::string noCodes = Saved(kAbaChildren, 2, "");
  const std::string y = R"({"item":"y","frequency":1.0})";
  const std::string z = R"({"item":"z","frequency":2.0,"children":[)" + y + "]}";
  const std::string fullKeys = R"({"item":"","frequency":0.0,"children":[)" + z +
                               R"(,{"item":"x","frequency":3.0,"children":[]}],"schema":"verbose",)"
                               R"("version":"1.0","depth":3,"encodings":["","x"]})";
  const std::string zeroChild = R"({"i":1,"f":0.0,"c":[)", three = R"({"i":1,"f":3.0,"c":[]})";
  return {
      {"depth 128", WithDepth(R"("d":128)"), kLoadedFully, Saved(kAbaChildren, 128)},
      {"depth 0", WithDepth(R"("d":0)"), kRepaired, kAbaText},
      {"depth 129", WithDepth(R"("d":129)"), kRepaired, kAbaText},
      {"depth as text", WithDepth(R"("d":"3")"), kRepaired, kAbaText},
      {"short header keys", WithHeader({R"("s":"concise","v":"1.0")", kD2, kCodes}), kLoadedFully, kAbaText},
      {"no codes without a schema", WithHeader({kV1, kD2}), kLoadedFully, noCodes},
      {"no codes in the concise schema", WithHeader({kConcise, kV1, kD2}), kUnusable, noCodes},
      {"another schema's codes that are no array", WithHeader({kV1, kD2, R"("e":"a")"}), kRepaired, noCodes},
      {"a code that is no text", WithHeader({kConcise, kV1, kD2, R"("e":["","a",5,"b"])"}), kUnusable,
       Saved(kAbaChildren, 2, R"("","a")")},
      {"a repeated text", WithHeader({kConcise, kV1, kD2, R"("e":["","a","a","b"])"}), kLoadedFully,
       Saved(kAbaChildren, 2, R"("","a","","b")")},  // its second code has no text
      // Texts of "encodings" keep their codes; other texts take the next codes in the order read.
      {"full keys and item texts", fullKeys, kLoadedFully,
       Saved(three + R"(,{"i":2,"f":2.0,"c":[{"i":3,"f":1.0,"c":[]}]})", 3, R"("","x","z","y")")},
      {"a root without item", FileText(kLeaf2, {kV1, kD2, kCodes}, ""), kUnusable,
       Saved("").replace(1, 5, R"("i":-1)")},
      {"JSON that is no object", "[1,2]", kUnusable, Saved("", 2, "")},
      {"a child without frequency", WithChildren(R"({"i":1})"), kLoadedFully, Saved(kLeaf1)},
      {"the short key first", WithChildren(R"({"i":1,"frequency":9.0,"f":3.0})"), kLoadedFully, Saved(three)},
      {"a later child of one code", WithChildren(R"({"i":2,"c":[{"i":2}]},)" + kLeaf2), kLoadedFully,
       Saved(kLeaf2)},
      {"an integer frequency", WithChildren(R"({"i":1,"f":2})"), kRepaired, Saved(kLeaf1)},
      {"a negative frequency", WithChildren(R"({"i":1,"f":-2.5})"), kRepaired, Saved(kLeaf1)},
      {"children that are no array", WithChildren(R"({"i":1,"f":0.0,"c":{"i":2}})"), kRepaired,
       Saved(kLeaf1)},
      {"a null child", WithChildren("null," + kLeaf2), kRepaired, Saved(kLeaf2)},
      {"a child without item", WithChildren(R"({"f":1.0},)" + kLeaf2), kRepaired, Saved(kLeaf2)},
      {"a damaged grandchild", WithChildren(zeroChild + R"({"f":1.0},)" + kLeaf2 + "]}"), kRepaired,
       Saved(zeroChild + kLeaf2 + "]}")},
  };
}

// A temporary folder for the model file E.ContextTree, a clock that stands at 1700000000, and a tree of depth
// 2 and margin 3 that learnt a, b, a.
class ModelFileTest : public ::testing::Test {
 protected:
  ModelFileTest() { Reset(); }
  // Back to the start: no file, a tree that learnt a, b, a.
  void Reset() {
    for (const std::string& name : Files()) fs::remove(folder.File(name));
    tree = std::make_unique<ContextTree>(2, 3);
    tree->AddSequence({"a", "b", "a"});
  }
  bool Write(const std::string& text) { return SystemEnv().ReplaceFile(file, text); }
  bool LoadText(const std::string& text) { return Write(text) && tree->Load(path); }
  Names Files() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
      names.insert(entry.path().filename().u8string());
    return names;
  }
  KindsAndPaths Reported(bool loaded) {
    cmdpredict::Diagnostics reports;
    EXPECT_EQ(tree->Load(path, reports), loaded);
    return cmdpredict::KindsAndPathsOf(reports);
  }

  cmdpredict::TempFolder folder;
  const std::string path = folder.File("E"), file = folder.File("E.ContextTree");
  cmdpredict::FixedClockEnv clock{1700000000};
  cmdpredict::ScopedEnv scopedClock{clock};
  std::unique_ptr<ContextTree> tree;
};

TEST_F(ModelFileTest, SaveReplacesTheFileWithTheDocumentedText) {
  ASSERT_TRUE(Write("previous contents, longer than the new text; " + kAbaText));
  ASSERT_TRUE(tree->Save(path));
  EXPECT_EQ(ReadFile(file),
            R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,)"
            R"("f":1.0,"c":[]}]}],"schema":"concise","version":"1.0","release":"221.0.0.0","d":2,)"
            R"("encodings":["","a","b"]})");
}

TEST_F(ModelFileTest, SaveAppendsTheExtensionAlsoToAPathThatEndsInIt) {
  ASSERT_TRUE(tree->Save(file));
  EXPECT_EQ(Files(), Names{"E.ContextTree.ContextTree"});
}

TEST_F(ModelFileTest, SaveWritesTheDepthAsTheSignedNumberOfItsLow32Bits) {
  tree->SetDepth(0x180000000ULL);
  EXPECT_NE(ToFileText(*tree)->find(R"("d":-2147483648,)"), std::string::npos);
}

TEST_F(ModelFileTest, SaveFailsWhereNoFileCanBeCreated) {
  EXPECT_FALSE(tree->Save(folder.File("missing/E")));
}

TEST_F(ModelFileTest, SaveOfATreeTooDeepForLoadFailsAndLeavesThePreviousFile) {
  ASSERT_TRUE(Write("previous"));
  EXPECT_FALSE(TreeThatLearnt(kMaxFileTreeHeight + 1, kMaxFileTreeHeight + 1)->Save(path));
  EXPECT_EQ(ReadFile(file), "previous");
}

// Files of earlier releases, and the highest tree that a file can hold with the deepest depth that Load
// takes.
TEST_F(ModelFileTest, SavingALoadedTreeWritesTheBytesOfItsFile) {
  const auto learnt = TreeThatLearnt(6, 2000);
  learnt->RemoveLastItem();
  const auto deepest = TreeThatLearnt(kMaxFileTreeHeight, kMaxFileTreeHeight);
  deepest->SetDepth(kMaxFileDepth);
  const std::string data = CMDPREDICT_TEST_DATA_DIR "/models/";
  const NamedText files[] = {{"learnt at depth 6", *ToFileText(*learnt)},
                             {"the highest tree", *ToFileText(*deepest)},
                             {"aba_depth2", ReadFile(data + "aba_depth2.ContextTree")},
                             {"escaped_texts_depth3", ReadFile(data + "escaped_texts_depth3.ContextTree")},
                             {"commands_depth5", ReadFile(data + "commands_depth5.ContextTree")}};
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    Reset();
    ASSERT_TRUE(LoadText(text));
    EXPECT_EQ(Files(), Names{"E.ContextTree"});  // loaded in full, no backup
    ASSERT_TRUE(tree->Save(path));
    EXPECT_EQ(ReadFile(file), text);
  }
}

TEST_F(ModelFileTest, LoadLeavesAnEmptyHistory) {
  ASSERT_TRUE(LoadText(kAbaText));
  EXPECT_TRUE(tree->GetHistory().empty());
}

TEST_F(ModelFileTest, LoadTakesAPathThatEndsInTheExtension) {
  ASSERT_TRUE(Write(Saved("")));
  EXPECT_TRUE(tree->Load(file));
  EXPECT_EQ(TextOf(*tree), Saved(""));
}

TEST_F(ModelFileTest, LoadOfAFolderFails) {
  fs::create_directory(file);
  EXPECT_FALSE(tree->Load(path));
}

TEST_F(ModelFileTest, LoadReadsNothingAfterAZeroByte) {
  EXPECT_TRUE(LoadText(kAbaText + '\0' + "garbage"));
  EXPECT_EQ(Files(), Names{"E.ContextTree"});
}

// Also with more distinct frequencies than the writer remembers, -0.0 after the root's 0.0, and
// a first subtree whose text is handed on in several pieces (above 64 KB) while others are written.
TEST(ModelFileText, IsTheTextOfTheJsonLayer) {
  const auto learnt = TreeThatLearnt(6, 200);
  for (int code = 99; code <= 5100; ++code) learnt->GetRoot().GetOrAddChild(code)->frequency = code / 7.0;
  ContextTree::Node& first = *learnt->GetRoot().children.begin()->second;
  for (int code = 0; code < 4000; ++code) first.GetOrAddChild(code)->frequency = 1.0;
  learnt->GetRoot().GetChild(99)->frequency = -0.0;
  EXPECT_EQ(*ToFileText(*learnt), TextOf(*learnt));
}

TEST_F(ModelFileTest, LoadOfTextThatIsNotJsonFailsAndLeavesTheTree) {
  for (const auto& [name, text] : NotJson()) {
    SCOPED_TRACE(name);
    Reset();
    EXPECT_FALSE(LoadText(text));
    EXPECT_EQ(TextOf(*tree), kAbaText);
    EXPECT_EQ(tree->GetHistory().size(), 3U);
  }
}

TEST_F(ModelFileTest, LoadOfTextThatIsNotJsonBacksItUpWithoutVersion) {
  for (const auto& [name, text] : NotJson()) {
    SCOPED_TRACE(name);
    Reset();
    LoadText(text);
    EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup}));
    EXPECT_EQ(ReadFile(folder.File(kBackup)), text);
  }
}

TEST_F(ModelFileTest, ABackupReplacesOneMadeInTheSameSecond) {
  LoadText("{");
  LoadText("[");
  EXPECT_EQ(ReadFile(folder.File(kBackup)), "[");
}

TEST_F(ModelFileTest, ABackupNamesTheTimeAsTheSignedNumberOfItsLow32Bits) {
  cmdpredict::FixedClockEnv late(0x180000001LL);
  const cmdpredict::ScopedEnv scopedLate(late);
  LoadText("{");
  EXPECT_EQ(Files(), (Names{"E.ContextTree", "E.ContextTree_-2147483647.backup"}));
}

TEST_F(ModelFileTest, GradesWhatAFileHoldsAsDocumented) {
  for (const auto& row : GradedFiles()) {
    SCOPED_TRACE(row.name);
    const auto document = cmdpredict::CreateJsonDocument();
    ContextTree fresh(2, 1);
    EXPECT_EQ(FromJson(fresh, cmdpredict::JsonReference(*document->Parse(row.text.c_str()))), row.severity);
  }
}

TEST_F(ModelFileTest, LoadsWhatCanBeUsedOfAFile) {
  for (const auto& row : GradedFiles()) {
    SCOPED_TRACE(row.name);
    Reset();
    EXPECT_TRUE(LoadText(row.text));
    EXPECT_EQ(TextOf(*tree), row.loaded);
  }
}

// A version below 1.0 or not of the form major.minor is wanting; its backup names the version read.
TEST_F(ModelFileTest, LoadBacksUpAFileOfAWantingVersionUnderTheVersionRead) {
  const struct {
    const char *name, *version, *backup;  // the version member, and the version in the backup's name
  } rows[] = {{"2.5 is accepted", R"("2.5")", nullptr},
              {"a trailing dot adds no part", R"("1.0.")", nullptr},
              {"three parts", R"("1.0.0")", "0.0"},
              {"a part beyond int", R"("1.99999999999")", "0.0"},
              {"a number", "7", "0.0"},
              {"below 1.0", R"("0.9")", "0.9"},
              {"parts read as stoi reads them", R"(" +1x.-1y")", "1.-1"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    EXPECT_TRUE(LoadText(WithHeader({kConcise, R"("version":)" + std::string(row.version), kD2, kCodes})));
    const std::string backup =
        "E.ContextTree_" + std::string(row.backup ? row.backup : "") + "_1700000000.backup";
    EXPECT_EQ(Files(), row.backup ? (Names{"E.ContextTree", backup}) : Names{"E.ContextTree"});
  }
}

// Codes with gaps come only from damaged files.
TEST_F(ModelFileTest, ALoadedTreeGivesANewTextTheCodeAboveTheHighest) {
  ASSERT_TRUE(LoadText(Saved("", 2, R"("a","a","b")")));
  EXPECT_EQ(tree->GetOrAddCode(""), 3);
}

// So that a reader gives the empty text its code again.
TEST_F(ModelFileTest, SaveRepeatsTheFirstTextAtACodeWithoutTextBelowTheEmptyTexts) {
  ASSERT_TRUE(LoadText(Saved("", 2, R"("a","a","b")")));
  tree->GetOrAddCode("");
  EXPECT_EQ(TextOf(*tree), Saved("", 2, R"("a","a","b","")"));
}

TEST_F(ModelFileTest, LoadReportsARepairedFileAndItsBackup) {
  ASSERT_TRUE(Write(Saved(R"({"i":1,"f":-2.5,"c":[]})")));
  EXPECT_EQ(Reported(true), (KindsAndPaths{{DiagnosticKind::kModelFileRepaired, file},
                                           {DiagnosticKind::kBackupWritten, folder.File(kBackup)}}));
}

TEST_F(ModelFileTest, LoadReportsAFileThatIsNotJsonAsReplacedAndItsBackup) {
  ASSERT_TRUE(Write("not JSON"));
  EXPECT_EQ(Reported(false), (KindsAndPaths{{DiagnosticKind::kModelFileReplaced, file},
                                            {DiagnosticKind::kBackupWritten, folder.File(kBackup)}}));
}

// Nothing learnt survived when the file's required parts were unusable and its root kept no children.
TEST_F(ModelFileTest, LoadReportsAFileUsedInPartAsRepairedOrReplacedWithTheReason) {
  const struct {
    const char* reason;
    std::string text;
    DiagnosticKind kind;
  } rows[] = {{"damaged parts were left out", WithChildren("null"), DiagnosticKind::kModelFileRepaired},
              {"required parts are missing or unusable", WithHeader({kConcise, kV1, kD2}),
               DiagnosticKind::kModelFileRepaired},
              {"version 0.0 is not accepted", "[1,2]", DiagnosticKind::kModelFileReplaced}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    cmdpredict::Diagnostics reports;
    EXPECT_TRUE(Write(row.text) && tree->Load(path, reports));
    EXPECT_EQ(reports.at(0).kind, row.kind);
    EXPECT_EQ(reports.at(0).reason, row.reason);
  }
}

TEST_F(ModelFileTest, LoadReportsABackupThatCouldNotBeWritten) {
  ASSERT_TRUE(Write("[1,2]"));
  cmdpredict::RecordingEnv full;
  full.now = 1700000000;
  full.failingWrites.insert(folder.File("E.ContextTree_0.0_1700000000.backup"));
  const cmdpredict::ScopedEnv scoped(full);
  cmdpredict::Diagnostics reports;
  EXPECT_TRUE(tree->Load(path, reports));
  ASSERT_EQ(reports.size(), 2U);
  EXPECT_EQ(reports[1].kind, DiagnosticKind::kBackupNotWritten);
  EXPECT_EQ(reports[1].reason, "No space left on device");
}

#if !defined(_WIN32)
// The file that the link points to, outside the model folder, stays as it was.
TEST_F(ModelFileTest, BackupReplacesALinkAtItsNameInsteadOfWritingThroughIt) {
  const cmdpredict::TempFolder elsewhere;
  ASSERT_TRUE(SystemEnv().ReplaceFile(elsewhere.File("precious"), "precious contents"));
  fs::create_symlink(elsewhere.File("precious"), folder.File(kBackup));
  EXPECT_FALSE(LoadText("not JSON"));
  EXPECT_EQ(ReadFile(elsewhere.File("precious")), "precious contents");
  EXPECT_EQ(ReadFile(folder.File(kBackup)), "not JSON");
}
#endif

}  // namespace
}  // namespace Quenmar::Intel
