#include "cmdpredict/prediction_command_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "manager/manager_test_support.h"
#include "testing/recording_env.h"
#include "platform/env.h"

namespace cmdpredict {
namespace {

using Ranked = std::vector<std::pair<LONG, double>>;

// --- Options -------------------------------------------------------------------------------------------

TEST(PredictionCommandManagerOptions, NewManagerHasTheDefaults) {
  const CPredictionCommandManager manager;
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 1);
  EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), 10);
  EXPECT_EQ(manager.GetNumberOfPredictionCommands(), 10);
  EXPECT_EQ(manager.GetMinimumNumberOfCommandsToAddToPredictionModel(), 1);
  EXPECT_TRUE(manager.GetAddToPredictionModel());
  EXPECT_FALSE(manager.GetAutoStartTopPrediction());
  EXPECT_EQ(manager.GetLastCommandInfoId(), 0U);
}

TEST(PredictionCommandManagerOptions, LowersTheHistoryLengthToTheMaximum) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(25), 10);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 10);
}

TEST(PredictionCommandManagerOptions, StoresAHistoryLengthOfZeroOrLessUnchanged) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(-3), -3);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), -3);
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(0), 0);
}

TEST(PredictionCommandManagerOptions, ChangingTheMaximumLeavesTheHistoryLengthAlone) {
  CPredictionCommandManager manager;
  manager.SetNumCommandsUsedForPrediction(8);
  manager.SetMaxNumCommandsUsedForPrediction(3);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 8);
  EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), 3);
  manager.SetMaxNumCommandsUsedForPrediction(20);
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(15), 15);
}

TEST(PredictionCommandManagerOptions, StoresTheOtherOptionsWithoutChecking) {
  CPredictionCommandManager manager;
  manager.SetMinimumNumberOfCommandsToAddToPredictionModel(-5);
  manager.SetNumberOfPredictionCommands(-2);
  manager.SetAddToPredictionModel(false);
  manager.SetLastCommandInfoId(0xFFFFFFFFU);
  EXPECT_EQ(manager.GetMinimumNumberOfCommandsToAddToPredictionModel(), -5);
  EXPECT_EQ(manager.GetNumberOfPredictionCommands(), -2);
  EXPECT_FALSE(manager.GetAddToPredictionModel());
  EXPECT_EQ(manager.GetLastCommandInfoId(), 0xFFFFFFFFU);
}

TEST(PredictionCommandManagerOptions, UpdateOptionsChangesNothing) {
  CPredictionCommandManager manager;
  manager.SetNumCommandsUsedForPrediction(4);
  manager.UpdateOptions();
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 4);
  EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), 10);
  EXPECT_EQ(manager.GetNumberOfPredictionCommands(), 10);
}

// --- Initialize ----------------------------------------------------------------------------------------

struct HistoryOptions {
  int numberGiven;
  int maximumGiven;
  int numberStored;
  int maximumStored;
};

void PrintTo(const HistoryOptions& options, std::ostream* out) {
  *out << options.numberGiven << "," << options.maximumGiven << " -> " << options.numberStored << ","
       << options.maximumStored;
}

class InitializeStoresTheHistoryOptions : public ::testing::TestWithParam<HistoryOptions> {};

TEST_P(InitializeStoresTheHistoryOptions, CheckingTheLengthAgainstTheMaximumInForceBeforeTheCall) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.Initialize(u"", nullptr, GetParam().numberGiven, GetParam().maximumGiven), S_OK);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), GetParam().numberStored);
  EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), GetParam().maximumStored);
}

INSTANTIATE_TEST_SUITE_P(OnANewManager, InitializeStoresTheHistoryOptions,
                         ::testing::Values(HistoryOptions{5, 20, 5, 20}, HistoryOptions{15, 20, 10, 20},
                                           HistoryOptions{15, 5, 10, 5}, HistoryOptions{-4, 3, -4, 3}));

TEST(PredictionCommandManagerInitialize, ChecksTheLengthAgainstTheMaximumOfAnEarlierCall) {
  CPredictionCommandManager manager;
  manager.Initialize(u"", nullptr, 1, 20);
  manager.Initialize(u"", nullptr, 15, 5);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 15);
  EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), 5);
}

TEST(PredictionCommandManagerInitialize, LearnsNothingBeforeInitialize) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_FALSE);
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
  EXPECT_FALSE(manager.NewPredictionsAvailable(u"E"));
}

TEST(PredictionCommandManagerInitialize, WithoutAFolderKeepsModelsInMemoryAndTouchesNoFile) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.Initialize(nullptr, nullptr, 1, 10), S_OK);
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_OK);
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", 0), 5);
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
  EXPECT_TRUE(env.calls.empty());
}

TEST(PredictionCommandManagerInitialize, ASecondInitializeForgetsTheModelsLearnt) {
  CPredictionCommandManager manager;
  manager.Initialize(u"", nullptr, 1, 10);
  RunCommands(manager, "E", {5, 7});
  manager.Initialize(u"", nullptr, 1, 10);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{5, 7}));  // the manager's own lists stay
}

// --- Calls that do little ----------------------------------------------------------------------------

class PredictionCommandManagerCalls : public InMemoryManager {};

TEST_F(PredictionCommandManagerCalls, AfterCommandRunAnswersZeroAndChangesNothing) {
  RunCommands(manager, "E", {5});
  EXPECT_EQ(manager.AfterCommandRun(5), S_OK);
  EXPECT_EQ(manager.AfterCommandRun(-1), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E"), std::vector<int>{5});
  EXPECT_EQ(Positions(manager, "E"), (Ranked{{5, 1.0}}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 5);
}

TEST(PredictionCommandManagerQuit, DoesNothingBeforeInitialize) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  manager.SavePredictionModels();
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
  EXPECT_TRUE(env.calls.empty());
}

class PredictionCommandManagerSaving : public ::testing::Test {
 protected:
  std::string ModelFile(const std::string& environment) const {
    return folder.File("ModelPrediction") + kPathSeparator + environment + ".ContextTree";
  }
  bool Exists(const std::string& path) const { return SystemEnv().Access(path) == 0; }

  TempFolder folder;
  const WString appDataFolder = Utf8ToWide(folder.Path() + kPathSeparator);
};

TEST_F(PredictionCommandManagerSaving, BeforeQuitSavesEveryLoadedModelAndLeavesTheManagerUsable) {
  CPredictionCommandManager manager;
  manager.Initialize(u"", appDataFolder.c_str(), 1, 10);
  RunCommands(manager, "E1", {5});
  RunCommands(manager, "E2", {7});
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
  EXPECT_TRUE(Exists(ModelFile("E1")));
  EXPECT_TRUE(Exists(ModelFile("E2")));
  EXPECT_EQ(RunCommands(manager, "E1", {9}), std::vector<LONG>{S_OK});
}

TEST_F(PredictionCommandManagerSaving, SavePredictionModelsSavesToo) {
  CPredictionCommandManager manager;
  manager.Initialize(u"", appDataFolder.c_str(), 1, 10);
  RunCommands(manager, "E1", {5});
  manager.SavePredictionModels();
  EXPECT_TRUE(Exists(ModelFile("E1")));
}

TEST_F(PredictionCommandManagerSaving, DestroyingTheManagerSavesNothing) {
  {
    CPredictionCommandManager manager;
    manager.Initialize(u"", appDataFolder.c_str(), 1, 10);
    RunCommands(manager, "E1", {5});
  }
  EXPECT_TRUE(Exists(folder.File("ModelPrediction")));
  EXPECT_FALSE(Exists(ModelFile("E1")));
}

TEST_F(PredictionCommandManagerSaving, ANewManagerPredictsWhatTheLastOneSaved) {
  CPredictionCommandManager first;
  first.Initialize(u"", appDataFolder.c_str(), 1, 10);
  RunCommands(first, "E1", {5, 7, 5});
  first.BeforeQuit();

  CPredictionCommandManager second;
  second.Initialize(u"", appDataFolder.c_str(), 1, 10);
  const Ranked positions = Positions(second, "E1");
  ASSERT_EQ(positions.size(), 2U);
  EXPECT_EQ(positions[0].first, 5);
  EXPECT_DOUBLE_EQ(positions[0].second, 2.0 / 3.0);
  EXPECT_EQ(positions[1].first, 7);
}

// --- Copies --------------------------------------------------------------------------------------------

class PredictionCommandManagerCopies : public InMemoryManager {};

TEST_F(PredictionCommandManagerCopies, ACopyTrainsTheModelThatTheOriginalPredictsFrom) {
  RunCommands(manager, "E", {5});
  CPredictionCommandManager copy(manager);
  EXPECT_EQ(RunCommands(copy, "E", {7}), std::vector<LONG>{S_OK});
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 7);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 5);
}

TEST_F(PredictionCommandManagerCopies, ACopyReadsThePositionsThatTheOriginalRefreshes) {
  manager.SetNumCommandsUsedForPrediction(0);
  RunCommands(manager, "E", {5, 7});
  const CPredictionCommandManager copy(manager);
  ASSERT_EQ(Commands(copy, u"E", 2), (std::vector<int>{7, 5}));  // tied: the greater text first
  RunCommands(manager, "E", {5});
  EXPECT_EQ(Commands(copy, u"E", 2), (std::vector<int>{5, 7}));
}

TEST_F(PredictionCommandManagerCopies, ACopyStartsWithTheOptionsAndListsButKeepsItsListsApart) {
  manager.SetNumberOfPredictionCommands(3);
  RunCommands(manager, "E", {5});
  CPredictionCommandManager copy(manager);
  EXPECT_EQ(copy.GetNumberOfPredictionCommands(), 3);
  EXPECT_EQ(LatestCommands(copy, u"E"), std::vector<int>{5});
  RunCommands(copy, "E", {7});
  EXPECT_EQ(LatestCommands(copy, u"E"), (std::vector<int>{5, 7}));
  EXPECT_EQ(LatestCommands(manager, u"E"), std::vector<int>{5});
}

TEST_F(PredictionCommandManagerCopies, AnAssignedManagerSharesTheModelOfTheOneAssigned) {
  CPredictionCommandManager other;
  other.Initialize(u"", nullptr, 1, 10);
  RunCommands(other, "E", {9});
  other = manager;
  RunCommands(other, "E", {7});
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 7);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
}

TEST(PredictionCommandManagerCopyOf, ACopyOfAManagerNotInitializedLearnsNothing) {
  const CPredictionCommandManager original;
  CPredictionCommandManager copy(original);
  EXPECT_EQ(copy.BeforeCommandRun(5, nullptr, "E", 0, 0), S_FALSE);
}

TEST(PredictionCommandManagerCopyOf, ACopyOutlivesTheOriginal) {
  auto original = std::make_unique<CPredictionCommandManager>();
  original->Initialize(u"", nullptr, 1, 10);
  RunCommands(*original, "E", {5});
  CPredictionCommandManager copy(*original);
  original.reset();
  EXPECT_EQ(RunCommands(copy, "E", {7}), std::vector<LONG>{S_OK});
  EXPECT_EQ(Commands(copy, u"E", 2), (std::vector<int>{7, 5}));
  EXPECT_EQ(copy.RemoveTrainingSequenceCommand(u"E"), 7);
}

}  // namespace
}  // namespace cmdpredict
