#include "modelmgr/prediction_model_manager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace {

using PredictionMap = CPredictionModelManager::PredictionMap;

TEST(ModelManagerParts, StartAsDocumentedAndTheCompositeRecordGetsItsNameFromTheClockAndTheFolderAsUtf8) {
  const CContextTree holder(CMDPREDICT_WIDE("F"), CMDPREDICT_WIDE("E1"));
  EXPECT_EQ(holder.GetTree().GetDepth(), 100U);
  EXPECT_EQ(holder.GetTree().GetHistoryMargin(), 1U);
  for (const auto& [seconds, id] : {std::pair<std::int64_t, const char*>{10, "spm_10"}, {0x1FFFFFFFF, "spm_-1"}}) {
    cmdpredict::FixedClockEnv clock(seconds);
    const cmdpredict::ScopedEnv scoped(clock);
    EXPECT_EQ(CompositeModelRecord().GetId(), id);  // named after the low 32 bits of its second
  }
  CPredictionModelManager manager;
  manager.SetModelFolder(CMDPREDICT_WIDE("/data/Mod\u00e8les/\u6a21\u578b"));
  EXPECT_EQ(manager.GetCompositeModel().GetModelFolder(), "/data/Mod\xc3\xa8les/\xe6\xa8\xa1\xe5\x9e\x8b");
}

class ModelManager : public ::testing::Test {
 protected:
  std::string FileOf(const std::string& name) const { return folder.File(name + ".ContextTree"); }

  cmdpredict::TempFolder folder;
  const cmdpredict::WString wideFolder = cmdpredict::Utf8ToWide(folder.Path());
  cmdpredict::RecordingEnv env;
  cmdpredict::ScopedEnv scoped{env};
  CPredictionModelManager manager;
};

TEST_F(ModelManager, WithoutAFolderKeepsModelsInMemoryAndIgnoresEnvironmentsWithoutOne) {
  manager.RecordCommand(CMDPREDICT_WIDE("E0"), 5);
  EXPECT_EQ(manager.RemoveLastCommand(CMDPREDICT_WIDE("E0")), 0);
  EXPECT_TRUE(manager.GetPredictions(CMDPREDICT_WIDE("E0"), {}).empty());
  EXPECT_FALSE(manager.HasModel(CMDPREDICT_WIDE("E0")));
  EXPECT_FALSE(manager.LoadModel(CMDPREDICT_WIDE("E1")));
  for (const LONG command : {-42, 0, 17}) manager.RecordCommand(CMDPREDICT_WIDE("E1"), command);
  manager.SaveModels();
  EXPECT_TRUE(env.calls.empty());
  EXPECT_EQ(manager.GetPredictions(CMDPREDICT_WIDE("E1"), {}),
            (PredictionMap{{"-42", 1.0 / 3}, {"0", 1.0 / 3}, {"17", 1.0 / 3}}));
  for (const LONG command : {17, 0, -42, 0}) EXPECT_EQ(manager.RemoveLastCommand(CMDPREDICT_WIDE("E1")), command);
}

// The cache holds the whole map last predicted, replaced each time; the selection reads only the cache.
TEST_F(ModelManager, CachesTheWholeMapPredictedForTheHistoryAndSelectsFromTheCache) {
  Quenmar::Intel::ContextTree reference(100, 1);
  reference.AddSequence({"5", "7", "5", "9", "5", "7"});
  for (const auto* environment : {CMDPREDICT_WIDE("E1"), CMDPREDICT_WIDE("E2")}) manager.AddEnvironmentModel(environment);
  for (const LONG command : {5, 7, 5, 9, 5, 7}) manager.RecordCommand(CMDPREDICT_WIDE("E1"), command);
  EXPECT_EQ(manager.GetPredictions(CMDPREDICT_WIDE("E1"), {9, 5}), reference.Predict(std::vector<std::string>{"9", "5"}));
  for (const LONG command : {3, 4}) manager.RecordCommand(CMDPREDICT_WIDE("E2"), command);
  manager.GetPredictions(CMDPREDICT_WIDE("E2"), {});
  manager.RemoveLastCommand(CMDPREDICT_WIDE("E2"));
  manager.GetPredictions(CMDPREDICT_WIDE("E2"), {});
  manager.RecordCommand(CMDPREDICT_WIDE("E2"), 4);  // not predicted again
  RankedCommands ranked;
  manager.GetTopPredictions(CMDPREDICT_WIDE("E2"), 10, ranked, {});
  EXPECT_EQ(ranked, (RankedCommands{{3, 1.0}}));
}

TEST_F(ModelManager, SavesInNameOrderUnderEscapedNamesPastAFailureAndReadsAFileOnlyOnTheFirstLoad) {
  manager.SetModelFolder(wideFolder);
  for (const auto* environment : {CMDPREDICT_WIDE("B"), CMDPREDICT_WIDE("A"), CMDPREDICT_WIDE("../x"), CMDPREDICT_WIDE("a/b:c")}) manager.AddEnvironmentModel(environment);
  manager.RecordCommand(CMDPREDICT_WIDE("B"), 5);
  env.failingWrites.insert(FileOf("A"));
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"),
            (std::vector<std::string>{FileOf("..%2Fx"), FileOf("A"), FileOf("B"), FileOf("a%2Fb%3Ac")}));
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  for (int load = 0; load < 2; ++load) EXPECT_TRUE(next.LoadModel(CMDPREDICT_WIDE("B")));
  EXPECT_EQ(env.PathsOf("ReadFile"), std::vector<std::string>{FileOf("B")});
  EXPECT_EQ(next.GetPredictions(CMDPREDICT_WIDE("B"), {}), (PredictionMap{{"5", 1.0}}));
}

TEST_F(ModelManager, SavesAnEnvironmentNamedLikeAWindowsDeviceUnderItsEscapedName) {
  manager.SetModelFolder(wideFolder);
  manager.AddEnvironmentModel(CMDPREDICT_WIDE("con"));
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"), std::vector<std::string>{FileOf("%63on")});
}

TEST_F(ModelManager, SavesAndLoadsAnEnvironmentWhoseNameIsTooLongForAFileName) {
  const cmdpredict::WString environment(300, u'L');
  manager.SetModelFolder(wideFolder);
  manager.AddEnvironmentModel(environment);
  manager.RecordCommand(environment, 5);
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"),
            std::vector<std::string>{FileOf(std::string(110, 'L') + "%~3E5C73EFCB70D665")});
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  ASSERT_TRUE(next.LoadModel(environment));
  EXPECT_EQ(next.GetPredictions(environment, {}), (PredictionMap{{"5", 1.0}}));
}

// A model of depth 100 saved by a manager that never set a depth: the file that later managers load.
class DeepModelFile : public ModelManager {
 protected:
  DeepModelFile() {
    CPredictionModelManager writer;
    writer.SetModelFolder(wideFolder);
    writer.AddEnvironmentModel(CMDPREDICT_WIDE("E"));
    for (const LONG command : kCommands) writer.RecordCommand(CMDPREDICT_WIDE("E"), command);
    writer.SaveModels();
    manager.SetModelFolder(wideFolder);
  }

  // The file text of a tree of the depth that learnt the same commands.
  static std::string LearntText(std::uint64_t depth) {
    Quenmar::Intel::ContextTree tree(depth, 1);
    for (const LONG command : kCommands) tree.AddItem(std::to_string(command));
    return *Quenmar::Intel::ToFileText(tree);
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static constexpr LONG kCommands[] = {5, 7, 5, 9, 5, 7, 3, 5, 7, 9, 5, 7};
};

TEST_F(DeepModelFile, WithoutASetDepthALoadedModelTakesTheFilesDepth) {
  manager.LoadModel(CMDPREDICT_WIDE("E"));
  manager.SaveModels();
  EXPECT_EQ(ReadText(FileOf("E")), LearntText(100));
}

TEST_F(DeepModelFile, IsTrimmedToTheSetDepthAndSavedLeanAndReloadable) {
  manager.SetModelDepth(3);
  manager.LoadModel(CMDPREDICT_WIDE("E"));
  manager.SaveModels();
  EXPECT_EQ(ReadText(FileOf("E")), LearntText(3));
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  next.LoadModel(CMDPREDICT_WIDE("E"));
  EXPECT_EQ(next.GetPredictions(CMDPREDICT_WIDE("E"), {5, 7}),
            manager.GetPredictions(CMDPREDICT_WIDE("E"), {5, 7}));
}

TEST_F(DeepModelFile, ShallowerThanTheSetDepthTakesTheSetDepth) {
  manager.SetModelDepth(3);
  manager.LoadModel(CMDPREDICT_WIDE("E"));
  manager.SaveModels();
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  next.SetModelDepth(5);
  next.LoadModel(CMDPREDICT_WIDE("E"));
  next.SaveModels();
  EXPECT_EQ(ReadText(FileOf("E")), LearntText(3).replace(LearntText(3).find("\"d\":3"), 5, "\"d\":5"));
}

TEST_F(DeepModelFile, WithAnUnusableDepthIsTrimmedToTheSetDepth) {
  std::string text = ReadText(FileOf("E"));
  text.replace(text.find("\"d\":100"), 7, "\"d\":\"x\"");
  std::ofstream(FileOf("E"), std::ios::binary | std::ios::trunc) << text;
  manager.SetModelDepth(3);
  manager.LoadModel(CMDPREDICT_WIDE("E"));
  manager.SaveModels();
  EXPECT_EQ(ReadText(FileOf("E")), LearntText(3));
}

TEST_F(DeepModelFile, LoadedAndLaterModelsFollowADepthChangeAtOnce) {
  manager.LoadModel(CMDPREDICT_WIDE("E"));
  manager.SetModelDepth(2);
  manager.AddEnvironmentModel(CMDPREDICT_WIDE("F"));
  manager.SaveModels();
  EXPECT_EQ(ReadText(FileOf("E")), LearntText(2));
  EXPECT_EQ(ReadText(FileOf("F")), *Quenmar::Intel::ToFileText(Quenmar::Intel::ContextTree(2, 1)));
}

}  // namespace
