#include "models/contexttree/context_tree_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "platform/env.h"
#include "support/json/json_text.h"
#include "testing/diagnostic_log.h"
#include "testing/forwarding_env.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

namespace fs = std::filesystem;
using cmdpredict::SystemEnv;
using Names = std::set<std::string>;

const std::string kBackup = "E.ContextTree_1700000000.backup";

std::string ReadFile(const std::string& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(ToJson(tree)); }

// A file whose root holds the children, followed by the header members.
std::string FileText(const std::string& children, const std::string& header) {
  return R"({"i":0,"f":0.0,"c":[)" + children + "]," + header + "}";
}

// The text that Save writes for a tree whose root holds the children.
std::string Saved(const std::string& children, int depth = 2, const std::string& encodings = R"("","a","b")") {
  return FileText(children, R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":)" +
                                std::to_string(depth) + R"(,"encodings":[)" + encodings + "]");
}

// The tree of depth 2 that learnt a, b, a.
const std::string kAbaChildren =
    R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]})";
const std::string kAbaText = Saved(kAbaChildren);

std::unique_ptr<ContextTree> TreeThatLearnt(int depth, int items) {
  auto tree = std::make_unique<ContextTree>(depth, 1);
  for (int i = 0; i < items; ++i) tree->AddItem("c" + std::to_string((i * 7 + i / 5) % 13));
  return tree;
}

// A temporary folder for the model file E.ContextTree, a clock that stands at 1700000000, and a
// tree of depth 2 that learnt a, b, a.
class ModelFileTest : public ::testing::Test {
 protected:
  ModelFileTest() { tree.AddSequence({"a", "b", "a"}); }
  bool LoadText(const std::string& text) { return SystemEnv().ReplaceFile(file, text) && tree.Load(path); }
  Names Files() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder.Path())) names.insert(entry.path().filename().u8string());
    return names;
  }

  cmdpredict::TempFolder folder;
  const std::string path = folder.File("E"), file = folder.File("E.ContextTree");
  cmdpredict::FixedClockEnv clock{1700000000};
  cmdpredict::ScopedEnv scopedClock{clock};
  ContextTree tree{2, 3};
};

TEST_F(ModelFileTest, SaveReplacesTheFileWithTheDocumentedText) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "previous contents, longer than the new text; " + kAbaText));
  ASSERT_TRUE(tree.Save(path));
  EXPECT_EQ(ReadFile(file),
            R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,)"
            R"("f":1.0,"c":[]}]}],"schema":"concise","version":"1.0","release":"221.0.0.0","d":2,)"
            R"("encodings":["","a","b"]})");
  ASSERT_TRUE(tree.Save(file));  // the extension is always appended
  EXPECT_EQ(Files(), (Names{"E.ContextTree", "E.ContextTree.ContextTree"}));
  tree.SetDepth(0x180000000ULL);  // written as the signed number of its low 32 bits
  EXPECT_NE(ToFileText(tree)->find(R"("d":-2147483648,)"), std::string::npos);
}

TEST_F(ModelFileTest, SavingALoadedTreeWritesTheSameBytes) {
  const auto learnt = TreeThatLearnt(6, 2000);
  learnt->RemoveLastItem();
  ASSERT_TRUE(learnt->Save(folder.File("learnt")));
  // Written straight from the tree as the JSON layer writes it, also with more distinct frequencies
  // than the writer remembers, and -0.0 after the root's 0.0 (such fractions do not read back exactly).
  for (int code = 99; code <= 5100; ++code) learnt->GetRoot().GetOrAddChild(code)->frequency = code / 7.0;
  learnt->GetRoot().GetChild(99)->frequency = -0.0;
  EXPECT_EQ(*ToFileText(*learnt), TextOf(*learnt));
  const auto deepest = TreeThatLearnt(kMaxFileTreeHeight, kMaxFileTreeHeight);
  deepest->SetDepth(kMaxFileDepth);
  ASSERT_TRUE(deepest->Save(folder.File("deepest")));
  // The highest tree that a file can hold (with the deepest depth that Load takes), and files of
  // earlier releases; each loads in full.
  const std::string data = CMDPREDICT_TEST_DATA_DIR "/models/";
  for (const std::string& saved : {folder.File("learnt"), folder.File("deepest"), data + "aba_depth2",
                                   data + "escaped_texts_depth3", data + "commands_depth5"}) {
    SCOPED_TRACE(saved);
    const std::string text = ReadFile(saved + ".ContextTree");
    ASSERT_TRUE(LoadText(text));
    EXPECT_TRUE(tree.GetHistory().empty());
    EXPECT_EQ(tree.GetHistoryMargin(), 3U);
    ASSERT_TRUE(tree.Save(path));
    EXPECT_EQ(ReadFile(file), text);
    EXPECT_EQ(Files(), (Names{"E.ContextTree", "deepest.ContextTree", "learnt.ContextTree"}));
  }
}

// Strict JSON is the JSON layer's to test; here the damage that befalls a model file, and files and
// folders that cannot be read or written.
TEST_F(ModelFileTest, FailedLoadsAndSavesLeaveTheTreeAndTheFilesAsTheyWere) {
  const auto tooDeep = TreeThatLearnt(kMaxFileTreeHeight + 1, kMaxFileTreeHeight + 1);
  for (const std::string& text : {std::string(), kAbaText.substr(0, kAbaText.size() - 1), kAbaText + "x",
                                  kAbaText.substr(0, 30) + '\0' + kAbaText.substr(30), TextOf(*tooDeep)}) {
    SCOPED_TRACE(text.substr(0, 40));
    EXPECT_FALSE(LoadText(text));  // and backed up without version
    EXPECT_TRUE(TextOf(tree) == kAbaText && tree.GetHistory().size() == 3);  // history included
    EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup}));
    EXPECT_EQ(ReadFile(folder.File(kBackup)), text);  // a backup of the same second overwrites the one before
  }
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("F.contexttree"), kAbaText));
  EXPECT_FALSE(tree.Load(folder.File("F.contexttree")));  // the extension is matched by exact bytes
  fs::create_directory(folder.File("G.ContextTree"));
  EXPECT_FALSE(tree.Load(folder.File("G")));
  EXPECT_FALSE(tree.Save(folder.File("G")));
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "previous"));
  EXPECT_FALSE(tooDeep->Save(path));  // Load could not read it back
  EXPECT_FALSE(tree.Save(folder.File("missing/E")));
  cmdpredict::RecordingEnv failing;
  failing.failingWrites.insert(file);
  cmdpredict::ScopedEnv scoped(failing);
  EXPECT_FALSE(tree.Save(path));
  EXPECT_EQ(ReadFile(file), "previous");
  cmdpredict::FixedClockEnv late(0x180000001LL);  // backups name the signed number of the time's low 32 bits
  cmdpredict::ScopedEnv scopedLate(late);
  EXPECT_FALSE(LoadText("{"));
  EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup, "E.ContextTree_-2147483647.backup", "F.contexttree",
                            "G.ContextTree"}));
  EXPECT_TRUE(LoadText(kAbaText + '\0' + "garbage"));  // text after a zero byte is not read
  EXPECT_EQ(TextOf(tree), kAbaText);
}

// Files that hold JSON load as far as they can be used; damage, and a version below 1.0 or not of
// the form major.minor, make one backup.
TEST_F(ModelFileTest, LoadsWhatCanBeUsedAndBacksUpDamageAndWantingVersions) {
  const auto withHeader = [](const std::string& header) { return FileText(kAbaChildren, header); };
  const std::string leaf1 = R"({"i":1,"f":0.0,"c":[]})", leaf2 = R"({"i":2,"f":1.0,"c":[]})";
  const std::string noCodes = Saved(kAbaChildren, 2, "");
  // clang-format off
  // A file's text, the grade of its content, the loaded tree's text, and the backup made ("" for none).
  struct LoadCase { std::string text; LoadSeverity severity; std::string loaded, backup; };
  // A file that is sound but for its version member, and the version that its backup names ("" for none).
  const auto V = [&](const std::string& member, const std::string& named) {
    return LoadCase{withHeader(R"("schema":"concise",)" + member + R"("d":2,"e":["","a","b"])"), kLoadedFully,
                    kAbaText, named.empty() ? "" : "E.ContextTree_" + named + "_1700000000.backup"};
  };
  const LoadCase cases[] = {
      V(R"("version":"2.5",)", ""), V(R"("version":"1.0.",)", ""), V(R"("version":"1.0.0",)", "0.0"),
      V(R"("version":"x.y",)", "0.0"), V(R"("version":"1.99999999999",)", "0.0"), V("", "0.0"),
      V(R"("version":7,)", "0.0"), V(R"("version":"0.9",)", "0.9"), V(R"("version":" +1x.-1y",)", "1.-1"),
      // The tree keeps its depth of 2 when the file's cannot be used.
      {"[1,2]", kUnusable, Saved("", 2, ""), "E.ContextTree_0.0_1700000000.backup"},
      {withHeader(R"("version":"1.0","d":-5,"encodings":["","a","b"])"), kRepaired, kAbaText, kBackup},
      {withHeader(R"("version":"1.0","d":3.0,"encodings":["","a","b"])"), kRepaired, kAbaText, kBackup},
      {withHeader(R"("version":"1.0","d":null,"encodings":["","a","b"])"), kRepaired, kAbaText, kBackup},
      {withHeader(R"("version":"1.0")"), kRepaired, Saved(kAbaChildren, 2, ""), kBackup},
      {withHeader(R"("schema":"concise","version":"1.0","d":2)"), kUnusable, noCodes, kBackup},
      {withHeader(R"("schema":"concise","version":"1.0","d":2,"encodings":{})"), kUnusable, noCodes, kBackup},
      {withHeader(R"("schema":"verbose","version":"1.0","d":2,"encodings":"a")"), kRepaired, noCodes, kBackup},
      {withHeader(R"("schema":"concise","version":"1.0","d":2,"encodings":["","a",5,"b"])"), kUnusable,
       Saved(kAbaChildren, 2, R"("","a")"), kBackup},
      {R"({"f":0.0,"c":[)" + leaf2 + R"(],"version":"1.0","d":2,"e":["","a","b"]})", kUnusable,
       R"({"i":-1,"f":0.0,"c":[],"schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"]})", kBackup},
      // Full keys and item texts: a text of "encodings" keeps its code, the others take the next
      // codes in the order read.
      {R"({"item":"","frequency":0.0,"children":[{"item":"z","frequency":2.0,"children":[{"item":"y","frequency":1.0}]},)"
       R"({"item":"x","frequency":3.0,"children":[]}],"schema":"verbose","version":"1.0","depth":3,"encodings":["","x"]})",
       kLoadedFully, Saved(R"({"i":1,"f":3.0,"c":[]},{"i":2,"f":2.0,"c":[{"i":3,"f":1.0,"c":[]}]})", 3, R"("","x","z","y")"), ""},
      // Loaded in full: short header keys, a repeated text (which leaves its code without text), and
      // children without "f", with a short key before the full one, with an exponent, -0.0 or a
      // negative code; a later child replaces an earlier one of the same code.
      {FileText(R"({"i":-7},{"i":1,"frequency":9.0,"f":3E0},{"i":2,"f":2.0,"c":[{"i":2,"f":1.0}]},{"i":2,"f":-0.0})",
                R"("s":"concise","v":"1.0","d":2,"e":["","a","a","b"])"), kLoadedFully,
       Saved(R"({"i":-7,"f":0.0,"c":[]},{"i":1,"f":3.0,"c":[]},{"i":2,"f":-0.0,"c":[]})", 2, R"("","a","","b")"), ""},
      {Saved(R"({"i":1,"f":2,"c":[]},{"i":2,"f":1.0,"c":[]})"), kRepaired, Saved(leaf1 + "," + leaf2), kBackup},
      {Saved(R"({"i":1,"f":-2.5,"c":[]})"), kRepaired, Saved(leaf1), kBackup},
      {Saved(R"(null,5,{"f":1.0},{"i":3000000000,"f":1.0},{"i":2.0},{"i":true},[],{"i":2,"f":1.0})"), kRepaired, Saved(leaf2), kBackup},
      {Saved(R"({"i":1,"f":0.0,"c":{"i":2}},{"i":2,"f":1.0})"), kRepaired, Saved(leaf1 + "," + leaf2), kBackup},
      {Saved(R"({"i":1,"f":0.0,"c":[{"i":2,"f":1.0,"c":[{"f":1.0},)" + leaf1 + "]}]}"), kRepaired,
       Saved(R"({"i":1,"f":0.0,"c":[{"i":2,"f":1.0,"c":[)" + leaf1 + "]}]}"), kBackup}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const std::string& name : Files()) fs::remove(folder.File(name));
    ContextTree graded;
    const auto document = cmdpredict::CreateJsonDocument();
    EXPECT_EQ(FromJson(graded, cmdpredict::JsonReference(*document->Parse(c.text.c_str()))), c.severity);
    EXPECT_TRUE(LoadText(c.text));
    EXPECT_EQ(TextOf(tree), c.loaded);
    EXPECT_EQ(Files(), c.backup.empty() ? Names{"E.ContextTree"} : (Names{"E.ContextTree", c.backup}));
  }
  // New texts take codes above the highest, past a code left without text. When the empty text's
  // code lies above such a gap, saving repeats the first text there, so that a reader gives the
  // empty text its code again.
  EXPECT_TRUE(LoadText(Saved("", 2, R"("a","a","b")")));
  EXPECT_EQ(tree.GetOrAddCode(""), 3);
  EXPECT_EQ(TextOf(tree), Saved("", 2, R"("a","a","b","")"));
}

using cmdpredict::KindsAndPaths;
using cmdpredict::KindsAndPathsOf;

TEST_F(ModelFileTest, LoadReportsARepairedFileAndItsBackup) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, Saved(R"({"i":1,"f":-2.5,"c":[]})")));
  cmdpredict::Diagnostics diagnostics;
  EXPECT_TRUE(tree.Load(path, diagnostics));
  EXPECT_EQ(KindsAndPathsOf(diagnostics),
            (KindsAndPaths{{cmdpredict::DiagnosticKind::kModelFileRepaired, file},
                           {cmdpredict::DiagnosticKind::kBackupWritten, folder.File(kBackup)}}));
  EXPECT_EQ(diagnostics[0].reason, "damaged parts were left out");
}

TEST_F(ModelFileTest, LoadReportsAFileThatIsNotJsonAsReplacedAndItsBackup) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "not JSON"));
  cmdpredict::Diagnostics diagnostics;
  EXPECT_FALSE(tree.Load(path, diagnostics));
  EXPECT_EQ(KindsAndPathsOf(diagnostics),
            (KindsAndPaths{{cmdpredict::DiagnosticKind::kModelFileReplaced, file},
                           {cmdpredict::DiagnosticKind::kBackupWritten, folder.File(kBackup)}}));
}

TEST_F(ModelFileTest, LoadReportsABackupThatCouldNotBeWritten) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "[1,2]"));
  cmdpredict::RecordingEnv full;
  full.now = 1700000000;
  full.failingWrites.insert(folder.File("E.ContextTree_0.0_1700000000.backup"));
  cmdpredict::ScopedEnv scoped(full);
  cmdpredict::Diagnostics diagnostics;
  EXPECT_TRUE(tree.Load(path, diagnostics));
  ASSERT_EQ(diagnostics.size(), 2U);
  EXPECT_EQ(diagnostics[0].kind, cmdpredict::DiagnosticKind::kModelFileReplaced);  // nothing learnt survived
  EXPECT_EQ(diagnostics[0].reason, "version 0.0 is not accepted");
  EXPECT_EQ(diagnostics[1].kind, cmdpredict::DiagnosticKind::kBackupNotWritten);
  EXPECT_EQ(diagnostics[1].reason, "No space left on device");
}

TEST_F(ModelFileTest, SaveReportsAFileThatCouldNotBeWrittenWithTheSystemsReason) {
  cmdpredict::RecordingEnv full;
  full.failingWrites.insert(file);
  cmdpredict::ScopedEnv scoped(full);
  cmdpredict::Diagnostics diagnostics;
  EXPECT_FALSE(tree.Save(path, diagnostics));
  EXPECT_EQ(KindsAndPathsOf(diagnostics),
            (KindsAndPaths{{cmdpredict::DiagnosticKind::kModelNotSaved, file}}));
  EXPECT_EQ(diagnostics[0].reason, "No space left on device");
}

#if !defined(_WIN32)
// A link planted at the backup's name is replaced by the backup; the file it points to, outside
// the model folder, stays as it was.
TEST_F(ModelFileTest, BackupReplacesALinkAtItsNameInsteadOfWritingThroughIt) {
  const cmdpredict::TempFolder elsewhere;
  const std::string target = elsewhere.File("precious");
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "precious contents"));
  fs::create_symlink(target, folder.File(kBackup));
  EXPECT_FALSE(LoadText("not JSON"));
  EXPECT_EQ(ReadFile(target), "precious contents");
  EXPECT_FALSE(fs::is_symlink(folder.File(kBackup)));
  EXPECT_EQ(ReadFile(folder.File(kBackup)), "not JSON");
}
#endif

TEST_F(ModelFileTest, LoadKeepsTheTreesDepthWhenTheFileHoldsNoUsableDepth) {
  const struct {
    const char* what;
    std::string text;
  } files[] = {
      {"no depth", FileText(kAbaChildren, R"("version":"1.0","encodings":["","a","b"])")},
      {"depth 0", Saved(kAbaChildren, 0)},
      {"negative depth", Saved(kAbaChildren, -5)},
      {"depth above 128", Saved(kAbaChildren, kMaxFileDepth + 1)},
      {"depth of a billion", Saved(kAbaChildren, 1000000000)},
      {"depth beyond 32 bits", FileText(kAbaChildren, R"("version":"1.0","d":5000000000,"e":["","a","b"])")},
      {"depth with a fraction", FileText(kAbaChildren, R"("version":"1.0","d":3.0,"e":["","a","b"])")},
      {"depth as text", FileText(kAbaChildren, R"("version":"1.0","d":"3","e":["","a","b"])")},
      {"JSON value that is no object", "[1,2]"},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.what);
    ContextTree loaded(7, 1);
    ASSERT_TRUE(SystemEnv().ReplaceFile(this->file, file.text));
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.GetDepth(), 7U);
  }
}

TEST_F(ModelFileTest, LoadGradesAnUnusableDepthAsRepairedAndBacksTheFileUp) {
  ContextTree graded(7, 1);
  const auto document = cmdpredict::CreateJsonDocument();
  const std::string text = Saved(kAbaChildren, 1000000000);
  EXPECT_EQ(FromJson(graded, cmdpredict::JsonReference(*document->Parse(text.c_str()))), kRepaired);
  ASSERT_TRUE(LoadText(text));
  EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup}));
  EXPECT_EQ(ReadFile(folder.File(kBackup)), text);
}

TEST_F(ModelFileTest, LoadTakesEveryDepthFromOneTo128) {
  for (const int depth : {1, 2, kMaxFileDepth}) {
    SCOPED_TRACE(depth);
    ContextTree loaded(7, 1);
    ASSERT_TRUE(SystemEnv().ReplaceFile(file, Saved(kAbaChildren, depth)));
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.GetDepth(), static_cast<std::uint64_t>(depth));
    EXPECT_EQ(Files(), Names{"E.ContextTree"});
  }
}

}  // namespace
}  // namespace Quenmar::Intel

namespace Quenmar::Intel {
namespace {

TEST_F(ModelFileTest, LoadingFromTextFillsTheTreeAsLoadDoesAndTellsWhetherLoadBacksUp) {
  const struct {
    std::string text;
    bool isJson;
    bool backUp;
  } cases[] = {
      {kAbaText, true, false},
      {Saved(R"({"i":1,"f":-2.5,"c":[]})"), true, true},
      {FileText(kAbaChildren, R"("schema":"concise","version":"0.9","d":2,"e":["","a","b"])"), true, true},
      {"not JSON", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const std::string& name : Files()) fs::remove(folder.File(name));
    ContextTree fromText{2, 3};
    fromText.AddSequence({"a", "b", "a"});
    const TextLoad loaded = LoadFromText(fromText, c.text);
    EXPECT_EQ(loaded.isJson, c.isJson);
    EXPECT_EQ(loaded.backUp, c.backUp);
    EXPECT_EQ(Files(), Names{});
    EXPECT_EQ(LoadText(c.text), c.isJson);
    EXPECT_EQ(TextOf(fromText), TextOf(tree));
    EXPECT_EQ(Files().size(), c.backUp ? 2U : 1U);
  }
}

}  // namespace
}  // namespace Quenmar::Intel
