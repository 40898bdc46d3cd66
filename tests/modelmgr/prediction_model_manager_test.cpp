#include "modelmgr/prediction_model_manager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace {

using PredictionMap = CPredictionModelManager::PredictionMap;
using Paths = std::vector<std::string>;

TEST(CompositeModelRecord, IsNamedAfterTheLow32BitsOfTheSecondItWasMadeIn) {
  for (const auto& [seconds, id] :
       {std::pair<std::int64_t, const char*>{10, "spm_10"}, {0x1FFFFFFFF, "spm_-1"}}) {
    SCOPED_TRACE(id);
    cmdpredict::FixedClockEnv clock(seconds);
    const cmdpredict::ScopedEnv scoped(clock);
    EXPECT_EQ(CompositeModelRecord().GetId(), id);
  }
}

TEST(CompositeModelRecord, TakesTheModelFolderAsUtf8) {
  CPredictionModelManager manager;
  manager.SetModelFolder(CMDPREDICT_WIDE("/data/Mod\u00e8les/\u6a21\u578b"));
  EXPECT_EQ(manager.GetCompositeModel().GetModelFolder(), "/data/Mod\xc3\xa8les/\xe6\xa8\xa1\xe5\x9e\x8b");
}

class ModelManager : public ::testing::Test {
 protected:
  std::string FileOf(const std::string& name) const { return folder.File(name + ".ContextTree"); }
  void Record(const cmdpredict::WString& environment, std::initializer_list<LONG> commands) {
    for (const LONG command : commands) manager.RecordCommand(environment, command);
  }

  cmdpredict::TempFolder folder;
  const cmdpredict::WString wideFolder = cmdpredict::Utf8ToWide(folder.Path());
  cmdpredict::RecordingEnv env;
  cmdpredict::ScopedEnv scoped{env};
  CPredictionModelManager manager;
  const cmdpredict::WString e1 = CMDPREDICT_WIDE("E1");
};

TEST_F(ModelManager, AnswersNeutrallyForAnEnvironmentWithoutAModel) {
  manager.RecordCommand(e1, 5);
  EXPECT_EQ(manager.RemoveLastCommand(e1), 0);
  EXPECT_TRUE(manager.GetPredictions(e1, {}).empty());
  EXPECT_FALSE(manager.HasModel(e1));
}

TEST_F(ModelManager, WithoutAFolderTouchesNoFile) {
  EXPECT_FALSE(manager.LoadModel(e1));
  manager.RecordCommand(e1, 5);
  manager.SaveModels();
  EXPECT_TRUE(env.calls.empty());
}

TEST_F(ModelManager, LearnsEachCommandAsItsDecimalText) {
  manager.AddEnvironmentModel(e1);
  Record(e1, {-42, 0, 17});
  EXPECT_EQ(manager.GetPredictions(e1, {}),
            (PredictionMap{{"-42", 1.0 / 3}, {"0", 1.0 / 3}, {"17", 1.0 / 3}}));
}

TEST_F(ModelManager, TakesBackTheCommandsLearntLastFirstAndThenAnswers0) {
  manager.AddEnvironmentModel(e1);
  Record(e1, {-42, 0, 17});
  for (const LONG command : {17, 0, -42, 0}) EXPECT_EQ(manager.RemoveLastCommand(e1), command);
}

TEST_F(ModelManager, PredictsWhatTheEnvironmentsTreePredictsForTheHistory) {
  Quenmar::Intel::ContextTree reference(100, 1);
  reference.AddSequence({"5", "7", "5", "9", "5", "7"});
  manager.AddEnvironmentModel(e1);
  Record(e1, {5, 7, 5, 9, 5, 7});
  EXPECT_EQ(manager.GetPredictions(e1, {9, 5}), reference.Predict(std::vector<std::string>{"9", "5"}));
}

// The cache holds the whole map last predicted, replaced each time; the selection reads only it.
TEST_F(ModelManager, SelectsTopPredictionsFromTheMapLastPredicted) {
  manager.AddEnvironmentModel(e1);
  Record(e1, {3, 4});
  manager.GetPredictions(e1, {});
  manager.RemoveLastCommand(e1);
  manager.GetPredictions(e1, {});
  manager.RecordCommand(e1, 4);  // not predicted again
  RankedCommands ranked;
  manager.GetTopPredictions(e1, 10, ranked, {});
  EXPECT_EQ(ranked, (RankedCommands{{3, 1.0}}));
}

TEST_F(ModelManager, SavesEveryModelInNameOrderPastAFailure) {
  manager.SetModelFolder(wideFolder);
  for (const auto* environment : {CMDPREDICT_WIDE("C"), CMDPREDICT_WIDE("A"), CMDPREDICT_WIDE("B")})
    manager.AddEnvironmentModel(environment);
  env.failingWrites.insert(FileOf("A"));
  EXPECT_FALSE(manager.SaveModels());
  EXPECT_EQ(env.PathsOf("ReplaceFile"), (Paths{FileOf("A"), FileOf("B"), FileOf("C")}));
}

TEST_F(ModelManager, SavesAModelUnderTheEscapedNameOfItsEnvironment) {
  manager.SetModelFolder(wideFolder);
  manager.AddEnvironmentModel(CMDPREDICT_WIDE("a/b:c"));
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"), Paths{FileOf("a%2Fb%3Ac")});
}

// From the file named as Save names it.
TEST_F(ModelManager, ReadsAModelFileOnlyOnTheFirstLoad) {
  const cmdpredict::WString environment = CMDPREDICT_WIDE("a/b:c");
  manager.SetModelFolder(wideFolder);
  manager.AddEnvironmentModel(environment);
  manager.SaveModels();
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  for (int load = 0; load < 2; ++load) EXPECT_TRUE(next.LoadModel(environment));
  EXPECT_EQ(env.PathsOf("ReadFile"), Paths{FileOf("a%2Fb%3Ac")});
}

// A model of depth 100 saved by a manager that never set a depth: the file that later managers load.
class DeepModelFile : public ModelManager {
 protected:
  DeepModelFile() {
    CPredictionModelManager writer;
    writer.SetModelFolder(wideFolder);
    writer.AddEnvironmentModel(kE);
    for (const LONG command : kCommands) writer.RecordCommand(kE, command);
    writer.SaveModels();
    manager.SetModelFolder(wideFolder);
  }

  // The file text of a tree of the depth that learnt the same commands.
  static std::string LearntText(std::uint64_t depth) {
    Quenmar::Intel::ContextTree tree(depth, 1);
    for (const LONG command : kCommands) tree.AddItem(std::to_string(command));
    return *Quenmar::Intel::ToFileText(tree);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The file that the manager saves for the environment.
  static std::string Saved(CPredictionModelManager& saver, const std::string& path) {
    saver.SaveModels();
    return Read(path);
  }

  static constexpr LONG kCommands[] = {5, 7, 5, 9, 5, 7, 3, 5, 7, 9, 5, 7};
  const cmdpredict::WString kE = CMDPREDICT_WIDE("E");
};

TEST_F(DeepModelFile, WithoutASetDepthALoadedModelTakesTheFilesDepth) {
  manager.LoadModel(kE);
  EXPECT_EQ(Saved(manager, FileOf("E")), LearntText(100));
}

TEST_F(DeepModelFile, IsTrimmedToTheSetDepthAndSavedLean) {
  manager.SetModelDepth(3);
  manager.LoadModel(kE);
  EXPECT_EQ(Saved(manager, FileOf("E")), LearntText(3));
}

TEST_F(DeepModelFile, ShallowerThanTheSetDepthTakesTheSetDepth) {
  manager.SetModelDepth(3);
  manager.LoadModel(kE);
  manager.SaveModels();
  CPredictionModelManager next;
  next.SetModelFolder(wideFolder);
  next.SetModelDepth(5);
  next.LoadModel(kE);
  EXPECT_EQ(Saved(next, FileOf("E")), LearntText(3).replace(LearntText(3).find("\"d\":3"), 5, "\"d\":5"));
}

TEST_F(DeepModelFile, WithAnUnusableDepthIsTrimmedToTheSetDepth) {
  std::string text = Read(FileOf("E"));
  std::ofstream(FileOf("E"), std::ios::binary) << text.replace(text.find("\"d\":100"), 7, "\"d\":\"x\"");
  manager.SetModelDepth(3);
  manager.LoadModel(kE);
  EXPECT_EQ(Saved(manager, FileOf("E")), LearntText(3));
}

TEST_F(DeepModelFile, LoadedModelsFollowADepthChangeAtOnce) {
  manager.LoadModel(kE);
  manager.SetModelDepth(2);
  EXPECT_EQ(Saved(manager, FileOf("E")), LearntText(2));
}

TEST_F(DeepModelFile, ModelsCreatedAfterADepthChangeTakeTheSetDepth) {
  manager.SetModelDepth(2);
  manager.AddEnvironmentModel(CMDPREDICT_WIDE("F"));
  EXPECT_EQ(Saved(manager, FileOf("F")), *Quenmar::Intel::ToFileText(Quenmar::Intel::ContextTree(2, 1)));
}

}  // namespace
