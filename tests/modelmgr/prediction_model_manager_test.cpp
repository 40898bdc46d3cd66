#include "modelmgr/prediction_model_manager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "testing/recording_env.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace {

using cmdpredict::RecordingEnv;
using cmdpredict::ScopedEnv;
using cmdpredict::TempFolder;
using cmdpredict::WString;
using PredictionMap = CPredictionModelManager::PredictionMap;

const std::map<LONG, bool> kNothingExcluded;

// Counts 5: 5, 7: 3 and 9: 2 (no command follows itself, as the manager teaches them).
const std::vector<LONG> kFiveSevenNine{5, 7, 5, 9, 5, 7, 5, 9, 5, 7};

class ModelManager : public ::testing::Test {
 protected:
  void Teach(const WString& environment, const std::vector<LONG>& commands) {
    for (const LONG command : commands) manager.RecordCommand(environment, command);
  }
  RankedCommands Top(const WString& environment, int count,
                     const std::map<LONG, bool>& excluded = kNothingExcluded) {
    RankedCommands ranked;
    manager.GetTopPredictions(environment, count, ranked, excluded);
    return ranked;
  }

  CPredictionModelManager manager;
};

TEST_F(ModelManager, HasAModelOnlyForEnvironmentsAdded) {
  EXPECT_FALSE(manager.HasModel(u"E1"));
  manager.AddEnvironmentModel(u"E1");
  EXPECT_TRUE(manager.HasModel(u"E1"));
  EXPECT_FALSE(manager.HasModel(u"e1"));
  EXPECT_FALSE(manager.HasModel(u"E2"));
}

TEST_F(ModelManager, KeepsAnExistingModelWhenAddedAgain) {
  manager.AddEnvironmentModel(u"E1");
  manager.RecordCommand(u"E1", 5);
  manager.AddEnvironmentModel(u"E1");
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 5);
}

TEST_F(ModelManager, LoadingCreatesTheModelAndAnswersTrueOnceItExists) {
  EXPECT_FALSE(manager.LoadModel(u"E1"));  // no folder: nothing to read
  EXPECT_TRUE(manager.HasModel(u"E1"));
  EXPECT_TRUE(manager.LoadModel(u"E1"));
}

TEST_F(ModelManager, RecordsNothingForAnEnvironmentWithoutAModel) {
  manager.RecordCommand(u"E1", 5);
  EXPECT_FALSE(manager.HasModel(u"E1"));
  manager.AddEnvironmentModel(u"E1");
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 0);
}

TEST_F(ModelManager, TakesNothingBackFromAnEnvironmentWithoutAModel) {
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 0);
  EXPECT_FALSE(manager.HasModel(u"E1"));
}

TEST_F(ModelManager, TakesBackTheCommandsItRecordedNewestFirst) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", {-42, 0, 17});
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 17);
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 0);
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), -42);
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 0);
}

TEST_F(ModelManager, KeepsTheModelsOfEnvironmentsApart) {
  manager.AddEnvironmentModel(u"E1");
  manager.AddEnvironmentModel(u"e1");
  manager.RecordCommand(u"E1", 5);
  EXPECT_EQ(manager.RemoveLastCommand(u"e1"), 0);
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 5);
}

TEST_F(ModelManager, PredictsNothingAndCachesNothingForAnEnvironmentWithoutAModel) {
  EXPECT_TRUE(manager.GetPredictions(u"E1", {}).empty());
  EXPECT_TRUE(manager.GetCachedPredictions(u"E1").empty());
  EXPECT_TRUE(Top(u"E1", 10).empty());
  EXPECT_FALSE(manager.HasModel(u"E1"));
}

TEST_F(ModelManager, CachesThePredictionsItComputes) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", {1, 2, 1});
  const PredictionMap expected{{"1", 2.0 / 3.0}, {"2", 1.0 / 3.0}};
  EXPECT_EQ(manager.GetPredictions(u"E1", {}), expected);
  EXPECT_EQ(manager.GetCachedPredictions(u"E1"), expected);
}

TEST_F(ModelManager, PredictsFromTheHistoryGiven) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", {1, 2, 1});
  // Root {1: 2/3, 2: 1/3}, plus twice the followers of 1 ({2: 1}): {1: 2/3, 2: 7/3} over 3.
  const PredictionMap& predictions = manager.GetPredictions(u"E1", {1});
  EXPECT_DOUBLE_EQ(predictions.at("1"), 2.0 / 9.0);
  EXPECT_DOUBLE_EQ(predictions.at("2"), 7.0 / 9.0);
}

TEST_F(ModelManager, ReplacesTheWholeCachedMapOfTheEnvironment) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", {5, 7});
  manager.GetPredictions(u"E1", {});
  manager.RemoveLastCommand(u"E1");
  manager.GetPredictions(u"E1", {});
  EXPECT_EQ(manager.GetCachedPredictions(u"E1"), (PredictionMap{{"5", 1.0}}));
}

TEST_F(ModelManager, CachesEachEnvironmentSeparately) {
  manager.AddEnvironmentModel(u"E1");
  manager.AddEnvironmentModel(u"E2");
  Teach(u"E1", {5});
  Teach(u"E2", {7});
  manager.GetPredictions(u"E1", {});
  manager.GetPredictions(u"E2", {});
  EXPECT_EQ(manager.GetCachedPredictions(u"E1"), (PredictionMap{{"5", 1.0}}));
  EXPECT_EQ(manager.GetCachedPredictions(u"E2"), (PredictionMap{{"7", 1.0}}));
}

TEST_F(ModelManager, SelectsTheBestOfTheCachedPredictions) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", kFiveSevenNine);
  manager.GetPredictions(u"E1", {});
  const RankedCommands best = Top(u"E1", 2);
  ASSERT_EQ(best.size(), 2U);
  EXPECT_EQ(best[0].first, 5);
  EXPECT_DOUBLE_EQ(best[0].second, 0.5);
  EXPECT_EQ(best[1].first, 7);
  EXPECT_DOUBLE_EQ(best[1].second, 0.3);
}

TEST_F(ModelManager, LeavesOutExcludedCommandsWhenSelecting) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", kFiveSevenNine);
  manager.GetPredictions(u"E1", {});
  const RankedCommands best = Top(u"E1", 2, {{5, true}});
  ASSERT_EQ(best.size(), 2U);
  EXPECT_EQ(best[0].first, 7);
  EXPECT_EQ(best[1].first, 9);
}

TEST_F(ModelManager, SelectsFromTheCacheWithoutPredictingAgain) {
  manager.AddEnvironmentModel(u"E1");
  Teach(u"E1", {5});
  manager.GetPredictions(u"E1", {});
  Teach(u"E1", {7, 9});
  EXPECT_EQ(Top(u"E1", 10), (RankedCommands{{5, 1.0}}));
}

// --- Model files -------------------------------------------------------------------------------------

class ModelManagerFiles : public ::testing::Test {
 protected:
  ModelManagerFiles() { manager.SetModelFolder(cmdpredict::Utf8ToWide(folder.Path())); }

  std::string FileOf(const std::string& environment) const {
    return folder.File(environment + ".ContextTree");
  }
  // Writes the file of the environment with the commands taught.
  void WriteModelFile(const WString& environment, const std::vector<LONG>& commands) {
    CContextTree holder(cmdpredict::Utf8ToWide(folder.Path()), environment);
    for (const LONG command : commands) holder.RecordCommand(command);
    ASSERT_TRUE(holder.SaveModel());
  }

  TempFolder folder;
  RecordingEnv env;
  ScopedEnv scoped{env};
  CPredictionModelManager manager;
};

TEST_F(ModelManagerFiles, LoadsTheEnvironmentsFileOnItsFirstLoad) {
  WriteModelFile(u"E1", {5, 7});
  EXPECT_TRUE(manager.LoadModel(u"E1"));
  EXPECT_EQ(manager.RemoveLastCommand(u"E1"), 0);  // a loaded model has no recent commands
  manager.GetPredictions(u"E1", {});
  EXPECT_EQ(manager.GetCachedPredictions(u"E1"), (PredictionMap{{"5", 0.5}, {"7", 0.5}}));
}

TEST_F(ModelManagerFiles, ReadsTheFileOnlyOnce) {
  WriteModelFile(u"E1", {5});
  manager.LoadModel(u"E1");
  WriteModelFile(u"E1", {7});
  EXPECT_TRUE(manager.LoadModel(u"E1"));
  EXPECT_EQ(env.PathsOf("ReadFile"), std::vector<std::string>{FileOf("E1")});
  manager.GetPredictions(u"E1", {});
  EXPECT_EQ(manager.GetCachedPredictions(u"E1"), (PredictionMap{{"5", 1.0}}));
}

TEST_F(ModelManagerFiles, AnswersFalseForAMissingFileButKeepsTheNewModel) {
  EXPECT_FALSE(manager.LoadModel(u"E1"));
  EXPECT_TRUE(manager.HasModel(u"E1"));
}

TEST_F(ModelManagerFiles, AddingAModelReadsNoFile) {
  WriteModelFile(u"E1", {5});
  env.calls.clear();
  manager.AddEnvironmentModel(u"E1");
  EXPECT_TRUE(env.calls.empty());
  manager.GetPredictions(u"E1", {});
  EXPECT_TRUE(manager.GetCachedPredictions(u"E1").empty());
}

TEST_F(ModelManagerFiles, SavesInAscendingOrderOfEnvironmentName) {
  manager.AddEnvironmentModel(u"B");
  manager.AddEnvironmentModel(u"A");
  manager.AddEnvironmentModel(u"a");
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"), (std::vector<std::string>{FileOf("A"), FileOf("B"), FileOf("a")}));
}

TEST_F(ModelManagerFiles, GoesOnSavingAfterAModelThatCannotBeWritten) {
  manager.AddEnvironmentModel(u"A");
  manager.AddEnvironmentModel(u"B");
  env.failingWrites.insert(FileOf("A"));
  manager.SaveModels();
  EXPECT_NE(cmdpredict::SystemEnv().Access(FileOf("A")), 0);
  EXPECT_EQ(cmdpredict::SystemEnv().Access(FileOf("B")), 0);
}

TEST_F(ModelManagerFiles, SavesWhatWasLearntForTheNextManager) {
  manager.LoadModel(u"E1");
  manager.RecordCommand(u"E1", 5);
  manager.SaveModels();

  CPredictionModelManager next;
  next.SetModelFolder(cmdpredict::Utf8ToWide(folder.Path()));
  ASSERT_TRUE(next.LoadModel(u"E1"));
  EXPECT_EQ(next.GetPredictions(u"E1", {}), (PredictionMap{{"5", 1.0}}));
}

TEST_F(ModelManagerFiles, KeepsAnEscapedEnvironmentInsideTheFolder) {
  manager.AddEnvironmentModel(u"a/b");
  manager.AddEnvironmentModel(u"../x");
  manager.SaveModels();
  EXPECT_EQ(env.PathsOf("ReplaceFile"), (std::vector<std::string>{FileOf("..%2Fx"), FileOf("a%2Fb")}));
}

TEST(ModelManagerWithoutFolder, KeepsItsModelsInMemoryAndTouchesNoFile) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionModelManager manager;
  EXPECT_FALSE(manager.LoadModel(u"E1"));
  manager.RecordCommand(u"E1", 5);
  manager.SaveModels();
  EXPECT_TRUE(env.calls.empty());
  EXPECT_EQ(manager.GetPredictions(u"E1", {}), (PredictionMap{{"5", 1.0}}));
}

}  // namespace
