#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "manager/manager_test_support.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/diagnostic_log.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

const WString kE = CMDPREDICT_WIDE("E");

// (name, length set, length kept) with the default maximum of 10.
TEST(ManagerOptions, AHistoryLengthIsLoweredToTheMaximumOnlyWhenAboveIt) {
  const std::tuple<const char*, int, int> cases[] = {
      {"above", 25, 10}, {"equal", 10, 10}, {"negative", -3, -3}};
  for (const auto& [name, length, kept] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(length), kept);
    EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), kept);
  }
}

TEST(ManagerOptions, LoweringTheMaximumLeavesTheHistoryLengthAsItIs) {
  CPredictionCommandManager manager;
  manager.SetNumCommandsUsedForPrediction(8);
  manager.SetMaxNumCommandsUsedForPrediction(3);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 8);
}

// (name, maximum of an earlier Initialize or 0 for none, length and maximum given, length kept)
TEST(ManagerOptions, InitializeLowersTheHistoryLengthToTheMaximumInForceBeforeIt) {
  const std::tuple<const char*, int, int, int, int> cases[] = {{"within", 0, 5, 20, 5},
                                                               {"above", 0, 15, 20, 10},
                                                               {"above, new maximum lower", 0, 15, 5, 10},
                                                               {"within an earlier maximum", 20, 15, 5, 15}};
  for (const auto& [name, earlierMaximum, length, maximum, lengthKept] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    if (earlierMaximum != 0) manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, earlierMaximum);
    EXPECT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), nullptr, length, maximum), S_OK);
    EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), lengthKept);
    EXPECT_EQ(manager.GetMaxNumCommandsUsedForPrediction(), maximum);
  }
}

TEST(ManagerLifecycle, BeforeInitializeNothingIsLearnt) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_FALSE);
}

TEST(ManagerLifecycle, WithoutAFolderLearnsInMemoryOnly) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.Initialize(nullptr, nullptr, 1, 10), S_OK);
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_OK);
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
  EXPECT_TRUE(env.calls.empty());
}

TEST_F(InMemoryManager, ASecondInitializeForgetsTheModelsLearnt) {
  RunCommands(manager, "E", {5});
  manager.Initialize(nullptr, nullptr, 1, 10);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 0);
}

// A manager without history that learnt 5 and 7 (tied, 7 ranks first: the greater text), and its
// copy, which learnt 5 again.
class ManagerCopy : public ::testing::Test {
 protected:
  ManagerCopy() {
    manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 0, 10);
    RunCommands(manager, "E", {5, 7});
    copy = manager;
    RunCommands(copy, "E", {5});
  }
  CPredictionCommandManager manager, copy;
};

TEST_F(ManagerCopy, SharesTheModel) { EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 5); }

TEST_F(ManagerCopy, SharesTheRankedPositions) { EXPECT_EQ(Commands(manager, kE, 2), (CommandList{5, 7})); }

TEST_F(ManagerCopy, KeepsItsOwnLatestCommands) {
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{5, 7}));
}

// --- The ranked positions ------------------------------------------------------------------------

using ::testing::DoubleEq;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using Records = std::vector<PredictionCommandManagerPredictionData>;

// A model folder in which E has learnt 5, 7, 5, 9, 5, 7, 5, 9, 5, 7 (so it predicts 5, 7 and 9 with
// 0.5, 0.3 and 0.2 for an empty history), and a new manager on it.
class Predictions : public ::testing::Test {
 protected:
  Predictions() {
    CPredictionCommandManager trainer;
    trainer.Initialize(CMDPREDICT_WIDE(""), appDataFolder.c_str(), 1, 10);
    RunCommands(trainer, "E", {5, 7, 5, 9, 5, 7, 5, 9, 5, 7});
    trainer.BeforeQuit();
    manager.Initialize(CMDPREDICT_WIDE(""), appDataFolder.c_str(), 1, 10);
  }
  // Reads the positions 0 to 2 of E the way that clears their flags; true for each that was flagged.
  std::vector<bool> TakeUpdatedFlags() {
    std::vector<bool> flags;
    for (int index = 0, command = 0; index < 3; ++index)
      flags.push_back(manager.GetPredictionCommandIDIfUpdated(kE, index, command));
    return flags;
  }
  // Shown one position deep with no history, 8, 5, 8, 5, 8, 5, 8 leave the model counting 5 eight
  // times and 8 four; then the host reads the flags and asks for two positions.
  void RelearnAndRefreshTwoPositions() {
    manager.GenerateInitialPredictions(kE);
    manager.SetNumCommandsUsedForPrediction(0);
    manager.SetNumberOfPredictionCommands(1);
    RunCommands(manager, "E", {8, 5, 8, 5, 8, 5, 8});
    TakeUpdatedFlags();
    manager.SetNumberOfPredictionCommands(2);
    manager.UpdatePredictions(kE);
  }
  TempFolder folder;
  // With a trailing separator, so that the model folder lies inside the temporary folder.
  const WString appDataFolder = Utf8ToWide(folder.File(""));
  CPredictionCommandManager manager;
};

TEST_F(Predictions, ReadingANeverUsedEnvironmentAppendsTheRankedListOfItsLoadedModel) {
  Records records{{42, 1.0, true}};
  EXPECT_TRUE(manager.GetPredictionCommandIDs("E", records));
  EXPECT_THAT(records, ElementsAre(FieldsAre(42, 1.0, true), FieldsAre(5, DoubleEq(0.5), false),
                                   FieldsAre(7, DoubleEq(0.3), false), FieldsAre(9, DoubleEq(0.2), false)));
}

TEST_F(Predictions, ReadingAFlaggedPositionClearsItsFlagButNotItsCommand) {
  manager.GenerateInitialPredictions(kE);
  int command = -1;
  EXPECT_TRUE(manager.GetPredictionCommandIDIfUpdated(kE, 0, command));
  EXPECT_EQ(command, 5);
  EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(kE, 0, command));
  EXPECT_EQ(command, 0);
  EXPECT_EQ(manager.GetPredictionCommandID(kE, 0), 5);
}

TEST_F(Predictions, APositionOutsideTheListReadsAsZero) {
  manager.GenerateInitialPredictions(kE);
  const std::tuple<const char*, WString, int> cases[] = {
      {"negative", kE, -1}, {"past the end", kE, 3}, {"never refreshed", CMDPREDICT_WIDE("N"), 0}};
  for (const auto& [name, environment, index] : cases) {
    SCOPED_TRACE(name);
    int command = -1;
    EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(environment, index, command));
    EXPECT_EQ(command, 0);
    EXPECT_EQ(manager.GetPredictionCommandID(environment, index), 0);
  }
}

TEST_F(Predictions, NewPredictionsAreAvailableOnlyForARefreshedEnvironment) {
  manager.GenerateInitialPredictions(kE);
  EXPECT_TRUE(manager.NewPredictionsAvailable(kE));
  EXPECT_FALSE(manager.NewPredictionsAvailable(CMDPREDICT_WIDE("N")));
}

TEST_F(Predictions, ARefreshUpdatesThePositionsInPlace) {
  RelearnAndRefreshTwoPositions();
  Records records;
  manager.GetPredictionCommandIDs("E", records);
  EXPECT_THAT(records, ElementsAre(FieldsAre(5, DoubleEq(8.0 / 17.0), false),
                                   FieldsAre(8, DoubleEq(4.0 / 17.0), false), FieldsAre(0, 0.0, false)));
}

// Position 2 held 0 already and is flagged again.
TEST_F(Predictions, ARefreshFlagsEveryChangedOrEmptiedPositionButNoUnchangedOne) {
  RelearnAndRefreshTwoPositions();
  EXPECT_EQ(TakeUpdatedFlags(), (std::vector<bool>{false, true, true}));
}

// After 5 came 7 three times and 9 twice: (0.5 + 2 x 0.6, 0.3 + 2 x 0.4, 0.2) over 3.
TEST_F(Predictions, ACommandNotToBeLearntStillRefreshesFromTheLatestCommands) {
  manager.AddCommandToCommandsUsedForPrediction(kE, 5);
  EXPECT_EQ(manager.BeforeCommandRun(100, nullptr, "E", 1, 0), S_FALSE);
  EXPECT_EQ(Commands(manager, kE, 3), (CommandList{7, 9, 5}));
}

TEST_F(Predictions, TheCurrentEnvironmentIsNotRefreshedAgain) {
  manager.GenerateInitialPredictions(kE);
  manager.SetNumberOfPredictionCommands(1);
  manager.GenerateInitialPredictions(kE);
  EXPECT_EQ(Commands(manager, kE, 3), (CommandList{5, 7, 9}));
}

TEST_F(Predictions, ReturningToAnEnvironmentRefreshesIt) {
  manager.GenerateInitialPredictions(kE);
  manager.GenerateInitialPredictions(CMDPREDICT_WIDE("F"));
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("excluded.txt"), "7"));
  manager.LoadCommandsExcludedFromTraining(Utf8ToWide(folder.File("excluded.txt")));
  manager.GenerateInitialPredictions(kE);
  EXPECT_EQ(Commands(manager, kE, 3), (CommandList{5, 9, 0}));
}

// A manager whose models live in a temporary folder, with a handler that keeps every record; E1 and
// E2 have learnt a command each.
class FailuresReachTheHost : public ::testing::Test {
 protected:
  FailuresReachTheHost() {
    manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(folder.File("")).c_str(), 1, 10);
    RunCommands(manager, "E1", {5});
    RunCommands(manager, "E2", {7});
  }
  std::string ModelFile(const std::string& environment) const {
    return folder.File("ModelPrediction") + kPathSeparator + environment + ".ContextTree";
  }

  TempFolder folder;
  CPredictionCommandManager manager;
  DiagnosticLog log{manager};
  RecordingEnv full;
  ScopedEnv scoped{full};
};

TEST_F(FailuresReachTheHost, BeforeQuitFailsWhenAModelIsNotWritten) {
  full.failingWrites.insert(ModelFile("E1"));
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
}

TEST_F(FailuresReachTheHost, AModelNotWrittenIsReportedInFull) {
  full.failingWrites.insert(ModelFile("E1"));
  manager.BeforeQuit();
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kModelNotSaved, CMDPREDICT_WIDE("E1"),
                                                 ModelFile("E1"), "No space left on device"}}));
}

TEST_F(FailuresReachTheHost, ARepairedModelFileIsReportedWithItsEnvironmentWhenItIsLoaded) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(ModelFile("E3"), R"({"i":0,"f":0.0,"c":[{"i":1,"f":-1.0,"c":[]}],)"
                                                       R"("version":"1.0","d":2,"encodings":["","5"]})"));
  full.now = 1700000000;
  RunCommands(manager, "E3", {5});
  EXPECT_EQ(log.Seen(),
            (KindsAndPaths{{DiagnosticKind::kModelFileRepaired, ModelFile("E3")},
                           {DiagnosticKind::kBackupWritten, ModelFile("E3") + "_1700000000.backup"}}));
  for (const Diagnostic& d : log.diagnostics) EXPECT_EQ(d.environment, CMDPREDICT_WIDE("E3"));
}

// The handler's exceptions are its own: each record is still delivered, and the manager goes on as
// if the handler had returned.
class ThrowingHandler : public FailuresReachTheHost {
 protected:
  ThrowingHandler() {
    manager.SetDiagnosticHandler([this](const Diagnostic&) {
      ++calls;
      throw std::runtime_error("the host's logger failed");
    });
    full.failingWrites = {ModelFile("E1"), ModelFile("E2")};
  }
  int calls = 0;
};

TEST_F(ThrowingHandler, GetsEveryRecord) {
  manager.BeforeQuit();
  EXPECT_EQ(calls, 2);
}

TEST_F(ThrowingHandler, LeavesTheManagerGoingOnAsIfItHadReturned) {
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(RunCommands(manager, "E1", {6}), std::vector<LONG>{S_OK});
}

// A folder stands where the model file goes.
TEST_F(FailuresReachTheHost, WithoutAHandlerNothingIsPrinted) {
  manager.SetDiagnosticHandler(nullptr);
  std::filesystem::create_directory(ModelFile("E1"));
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace cmdpredict
