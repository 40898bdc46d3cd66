#include "models/contexttree/context_tree_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/env.h"
#include "support/json/json_text.h"
#include "testing/forwarding_env.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

using cmdpredict::SystemEnv;
using Names = std::set<std::string>;

const std::string kBackup = "E.ContextTree_1700000000.backup";

std::string ReadFile(const std::string& path) {
  std::string text;
  SystemEnv().ReadFile(path, text);
  return text;
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(ToJson(tree)); }

LoadSeverity Grade(const std::string& text) {
  ContextTree tree;
  return FromJson(tree, cmdpredict::JsonReference(*cmdpredict::CreateJsonDocument()->Parse(text.c_str())));
}

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
  std::string ModelPath() const { return folder.File("E"); }
  std::string ModelFile() const { return folder.File("E.ContextTree"); }
  bool LoadText(const std::string& text) { return SystemEnv().ReplaceFile(ModelFile(), text) && tree.Load(ModelPath()); }
  Names Files() const {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) names.insert(entry.path().filename());
    return names;
  }
  // True when the tree still holds what it learnt, history included.
  bool Untouched() const { return TextOf(tree) == kAbaText && tree.GetHistory().size() == 3; }

  cmdpredict::TempFolder folder;
  cmdpredict::FixedClockEnv clock{1700000000};
  cmdpredict::ScopedEnv scopedClock{clock};
  ContextTree tree{2, 3};
};

TEST_F(ModelFileTest, SaveReplacesTheFileWithTheDocumentedText) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(ModelFile(), "previous contents, longer than the new text; " + kAbaText));
  ASSERT_TRUE(tree.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()),
            R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]}],)"
            R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"]})");
  ASSERT_TRUE(tree.Save(ModelFile()));  // the extension is always appended
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
  ASSERT_TRUE(TreeThatLearnt(kMaxFileTreeHeight, kMaxFileTreeHeight)->Save(folder.File("deepest")));
  // The deepest tree that a file can hold, and files of earlier releases; each loads in full.
  const std::string data = CMDPREDICT_TEST_DATA_DIR "/models/";
  for (const std::string& path : {folder.File("learnt"), folder.File("deepest"), data + "aba_depth2",
                                  data + "escaped_texts_depth3", data + "commands_depth5"}) {
    SCOPED_TRACE(path);
    const std::string text = ReadFile(path + ".ContextTree");
    ASSERT_FALSE(text.empty());
    ASSERT_TRUE(LoadText(text));
    EXPECT_TRUE(tree.GetHistory().empty());
    EXPECT_EQ(tree.GetHistoryMargin(), 3U);
    ASSERT_TRUE(tree.Save(ModelPath()));
    EXPECT_EQ(ReadFile(ModelFile()), text);
    EXPECT_EQ(Files(), (Names{"E.ContextTree", "deepest.ContextTree", "learnt.ContextTree"}));
  }
}

TEST_F(ModelFileTest, FailedLoadsAndSavesLeaveTheTreeAndTheFilesAsTheyWere) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("F.contexttree"), kAbaText));
  EXPECT_FALSE(tree.Load(folder.File("F.contexttree")));  // the extension is matched by exact bytes
  std::filesystem::create_directory(folder.File("G.ContextTree"));
  EXPECT_FALSE(tree.Load(folder.File("G")));
  EXPECT_FALSE(tree.Save(folder.File("G")));
  EXPECT_TRUE(Untouched());
  ASSERT_TRUE(SystemEnv().ReplaceFile(ModelFile(), "previous"));
  EXPECT_FALSE(TreeThatLearnt(kMaxFileTreeHeight + 1, kMaxFileTreeHeight + 1)->Save(ModelPath()));  // too deep for Load
  EXPECT_FALSE(tree.Save(folder.File("missing/E")));
  cmdpredict::RecordingEnv failing;
  failing.failingWrites.insert(ModelFile());
  cmdpredict::ScopedEnv scoped(failing);
  EXPECT_FALSE(tree.Save(ModelPath()));
  EXPECT_EQ(ReadFile(ModelFile()), "previous");
  EXPECT_EQ(Files(), (Names{"E.ContextTree", "F.contexttree", "G.ContextTree"}));
}

TEST_F(ModelFileTest, TextThatIsNotJsonFailsToLoadAndIsBackedUpWithoutVersion) {
  const std::string nul(1, '\0');
  for (const std::string& text :
       {std::string(), std::string(" \t\r\n"), std::string("{"), kAbaText + "x", std::string("{'i':0}"),
        std::string(R"({"i":0,"f":NaN})"), std::string(R"({"i":0 /*c*/})"), std::string("[1,]"),
        kAbaText.substr(0, 30) + nul + kAbaText.substr(30),
        TextOf(*TreeThatLearnt(kMaxFileTreeHeight + 1, kMaxFileTreeHeight + 1))}) {  // nested beyond 1024
    SCOPED_TRACE(text.substr(0, 40));
    EXPECT_FALSE(LoadText(text));
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup}));
    EXPECT_EQ(ReadFile(folder.File(kBackup)), text);  // a backup of the same second overwrites the one before
  }
  EXPECT_TRUE(LoadText(kAbaText + nul + "garbage"));  // text after a zero byte is not read
  EXPECT_EQ(TextOf(tree), kAbaText);
  cmdpredict::FixedClockEnv late(0x180000001LL);  // backups name the signed number of the time's low 32 bits
  cmdpredict::ScopedEnv scoped(late);
  EXPECT_FALSE(LoadText("{"));
  EXPECT_EQ(Files(), (Names{"E.ContextTree", kBackup, "E.ContextTree_-2147483647.backup"}));
}

// Files that hold JSON load as far as they can be used; damage, and a version below 1.0 or not of
// the form major.minor, make one backup.
TEST_F(ModelFileTest, LoadsWhatCanBeUsedAndBacksUpDamageAndWantingVersions) {
  const auto withHeader = [](const std::string& header) { return FileText(kAbaChildren, header); };
  const auto withVersion = [&](const std::string& member) {
    return withHeader(R"("schema":"concise",)" + member + R"("d":2,"e":["","a","b"])");
  };
  const auto backupOf = [](const std::string& version) { return "E.ContextTree_" + version + "_1700000000.backup"; };
  const std::string leaf1 = R"({"i":1,"f":0.0,"c":[]})", leaf2 = R"({"i":2,"f":1.0,"c":[]})";
  const std::string depth0 = Saved(kAbaChildren, 0), noCodes = Saved(kAbaChildren, 2, "");
  // The loaded tree's text, and the backup made ("" for none).
  const struct { std::string text; LoadSeverity severity; std::string loaded, backup; } cases[] = {
      {"[1,2]", kUnusable, Saved("", 0, ""), backupOf("0.0")},
      {withVersion(R"("version":"2.5",)"), kLoadedFully, kAbaText, ""},
      {withVersion(R"("version":"1.0.",)"), kLoadedFully, kAbaText, ""},
      {withVersion(R"("version":"1x.0y",)"), kLoadedFully, kAbaText, ""},
      {withVersion(R"("version":"1.0.0",)"), kLoadedFully, kAbaText, backupOf("0.0")},
      {withVersion(R"("version":"x.y",)"), kLoadedFully, kAbaText, backupOf("0.0")},
      {withVersion(R"("version":"1.99999999999",)"), kLoadedFully, kAbaText, backupOf("0.0")},
      {withVersion(R"("version":7,)"), kLoadedFully, kAbaText, backupOf("0.0")},
      {withVersion(""), kLoadedFully, kAbaText, backupOf("0.0")},
      {withVersion(R"("version":"0.9",)"), kLoadedFully, kAbaText, backupOf("0.9")},
      {withVersion(R"("version":" +1.-1",)"), kLoadedFully, kAbaText, backupOf("1.-1")},
      {withVersion(R"("v":"0.5","version":"1.0",)"), kLoadedFully, kAbaText, backupOf("0.5")},
      {FileText(R"({"i":1,"f":2})", R"("version":"0.9")"), kRepaired, Saved(leaf1, 0, ""), backupOf("0.9")},
      {withHeader(R"("s":"concise","v":"1.0","d":2,"e":["","a","b"])"), kLoadedFully, kAbaText, ""},
      {withHeader(R"("version":"1.0","d":-5,"encodings":["","a","b"])"), kRepaired, depth0, kBackup},
      {withHeader(R"("version":"1.0","d":3.0,"encodings":["","a","b"])"), kRepaired, depth0, kBackup},
      {withHeader(R"("version":"1.0","d":null,"encodings":["","a","b"])"), kRepaired, depth0, kBackup},
      {withHeader(R"("version":"1.0","encodings":["","a","b"])"), kLoadedFully, depth0, ""},
      {withHeader(R"("schema":"concise","version":"1.0","d":2)"), kUnusable, noCodes, kBackup},
      {withHeader(R"("version":"1.0","d":2)"), kLoadedFully, noCodes, ""},
      {withHeader(R"("schema":"concise","version":"1.0","d":2,"encodings":{})"), kUnusable, noCodes, kBackup},
      {withHeader(R"("schema":"verbose","version":"1.0","d":2,"encodings":"a")"), kRepaired, noCodes, kBackup},
      {withHeader(R"("schema":"concise","version":"1.0","d":2,"encodings":["","a",5,"b"])"), kUnusable,
       Saved(kAbaChildren, 2, R"("","a")"), kBackup},
      {withHeader(R"("version":"1.0","d":2,"encodings":["","a","a","b"])"), kLoadedFully,
       Saved(kAbaChildren, 2, R"("","a","","b")"), ""},
      // A gap below the empty text's code repeats the first text, which a reader skips.
      {Saved(kAbaChildren, 2, R"("a","a","b","")"), kLoadedFully, Saved(kAbaChildren, 2, R"("a","a","b","")"), ""},
      // Full keys and item texts; texts get codes after those of "encodings", in the order read.
      {R"({"item":"","frequency":0.0,"children":[{"item":"y","frequency":2.0,"children":[{"item":"x","frequency":1.0}]},)"
       R"({"item":"x","frequency":3.0,"children":[]}],"schema":"verbose","version":"1.0","depth":3,"encodings":["","q"]})",
       kLoadedFully, Saved(R"({"i":2,"f":2.0,"c":[{"i":3,"f":1.0,"c":[]}]},{"i":3,"f":3.0,"c":[]})", 3, R"("","q","y","x")"), ""},
      {Saved(R"({"i":1,"f":2,"c":[]},{"i":2,"f":1.0,"c":[]})"), kRepaired, Saved(leaf1 + "," + leaf2), kBackup},
      {Saved(R"({"i":1,"f":-2.5,"c":[]})"), kRepaired, Saved(leaf1), kBackup},
      {Saved(R"({"i":1,"c":[]})"), kLoadedFully, Saved(leaf1), ""},
      {Saved(R"({"i":1,"f":-0.0})"), kLoadedFully, Saved(R"({"i":1,"f":-0.0,"c":[]})"), ""},
      {Saved(R"({"i":1,"frequency":9.0,"f":3E0})"), kLoadedFully, Saved(R"({"i":1,"f":3.0,"c":[]})"), ""},
      {Saved(R"(null,5,{"f":1.0},{"i":3000000000,"f":1.0},{"i":2.0},{"i":true},[],{"i":2,"f":1.0})"), kRepaired, Saved(leaf2), kBackup},
      {Saved(R"({"i":1,"f":0.0,"c":{"i":2}},{"i":2,"f":1.0})"), kRepaired, Saved(leaf1 + "," + leaf2), kBackup},
      {Saved(R"({"i":1,"f":0.0,"c":[{"i":2,"f":1.0,"c":[{"f":1.0},)" + leaf1 + "]}]}"), kRepaired,
       Saved(R"({"i":1,"f":0.0,"c":[{"i":2,"f":1.0,"c":[)" + leaf1 + "]}]}"), kBackup},
      {Saved(R"({"i":2,"f":2.0,"c":[{"i":2,"f":1.0}]},{"i":2,"f":1.0})"), kLoadedFully, Saved(leaf2), ""},
      {Saved(R"({"i":"b","f":1.0},{"i":"a","f":0.0})"), kLoadedFully, Saved(leaf1 + "," + leaf2), ""},
      {Saved(R"({"i":-7,"f":1.0})"), kLoadedFully, Saved(R"({"i":-7,"f":1.0,"c":[]})"), ""},
      {R"({"f":0.0,"c":[)" + leaf2 + R"(],"version":"1.0","d":2,"e":["","a","b"]})", kUnusable,
       R"({"i":-1,"f":0.0,"c":[],"schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"]})", kBackup},
  };
  for (const auto& loadCase : cases) {
    SCOPED_TRACE(loadCase.text);
    for (const std::string& name : Files()) std::filesystem::remove(folder.File(name));
    EXPECT_EQ(Grade(loadCase.text), loadCase.severity);
    EXPECT_TRUE(LoadText(loadCase.text));
    EXPECT_EQ(TextOf(tree), loadCase.loaded);
    EXPECT_EQ(Files(), loadCase.backup.empty() ? Names{"E.ContextTree"} : (Names{"E.ContextTree", loadCase.backup}));
  }
}

// A repeated text leaves a code without text. New texts take codes above the highest, and when the
// empty text's code lies above such a gap, saving repeats the first text there so that a reader
// gives the empty text its code again.
TEST_F(ModelFileTest, NewTextsTakeCodesAboveAGapAndSavingKeepsTheCodes) {
  EXPECT_TRUE(LoadText(Saved("", 2, R"("a","a","b")")));
  EXPECT_EQ(tree.GetOrAddCode(""), 3);
  EXPECT_EQ(TextOf(tree), Saved("", 2, R"("a","a","b","")"));
}

}  // namespace
}  // namespace Quenmar::Intel
