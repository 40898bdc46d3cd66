#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
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

TEST(PredictionCommandManager, LowersTheHistoryLengthToTheMaximumInForceOnlyWhenTheLengthIsSet) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.GetNumberOfPredictionCommands(), 10);
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(25), 10);  // the maximum, 10 by default
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(-3), -3);
  EXPECT_EQ(manager.SetNumCommandsUsedForPrediction(8), 8);
  manager.SetMaxNumCommandsUsedForPrediction(3);
  EXPECT_EQ(manager.GetNumCommandsUsedForPrediction(), 8);
  // Initialize: (maximum of an earlier Initialize or 0 for none, length and maximum given, length and
  // maximum kept).
  for (const auto& [earlier, length, maximum, lengthKept, maximumKept] :
       {std::tuple{0, 5, 20, 5, 20}, std::tuple{0, 15, 20, 10, 20}, std::tuple{0, 15, 5, 10, 5},
        std::tuple{20, 15, 5, 15, 5}}) {
    SCOPED_TRACE(::testing::Message() << earlier << ": " << length << ", " << maximum);
    CPredictionCommandManager initialized;
    if (earlier != 0) initialized.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, earlier);
    EXPECT_EQ(initialized.Initialize(CMDPREDICT_WIDE(""), nullptr, length, maximum), S_OK);
    EXPECT_EQ(initialized.GetNumCommandsUsedForPrediction(), lengthKept);
    EXPECT_EQ(initialized.GetMaxNumCommandsUsedForPrediction(), maximumKept);
  }
}

TEST(PredictionCommandManager, LearnsOnceInitializedForgetsOnReinitializingAndTouchesNoFileWithoutAFolder) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_FALSE);
  EXPECT_EQ(manager.Initialize(nullptr, nullptr, 1, 10), S_OK);
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E", 0, 0), S_OK);
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
  manager.Initialize(nullptr, nullptr, 1, 10);  // a new model manager: the models learnt are forgotten
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E")), 0);
  EXPECT_TRUE(env.calls.empty());
}

// That copies and assigned managers outlive the original is the shared library test's to show.
TEST(PredictionCommandManagerCopies, ShareTheModelAndThePositionsButNotTheLists) {
  CPredictionCommandManager manager;
  manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 0, 10);
  RunCommands(manager, "E", {5, 7});
  CPredictionCommandManager copy(manager);
  // Tied, 7 ranks before 5 (the greater text first) until the copy learns 5 again.
  EXPECT_EQ(RunCommands(copy, "E", {5}), std::vector<LONG>{S_OK});
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E")), (CommandList{5, 7}));
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 2), (CommandList{5, 7}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E")), 5);
}

// --- The ranked positions ------------------------------------------------------------------------

using ::testing::DoubleEq;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using Records = std::vector<PredictionCommandManagerPredictionData>;

// A model folder in which the environment "E" has learnt 5, 7, 5, 9, 5, 7, 5, 9, 5, 7 (so it
// predicts 5, 7 and 9 with 0.5, 0.3 and 0.2 for an empty history), and a new manager on it.
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
      flags.push_back(manager.GetPredictionCommandIDIfUpdated(CMDPREDICT_WIDE("E"), index, command));
    return flags;
  }
  TempFolder folder;
  // With a trailing separator, so that the model folder lies inside the temporary folder.
  const WString appDataFolder = Utf8ToWide(folder.File(""));
  CPredictionCommandManager manager;
};

TEST_F(Predictions, FillsFlaggedPositionsAtTheFirstRefreshUpdatesThemInPlaceAndAnswersZeroOutside) {
  // E was never used: reading it loads its model and refreshes it; the records are appended.
  Records records{{42, 1.0, true}};
  EXPECT_TRUE(manager.GetPredictionCommandIDs("E", records));
  EXPECT_THAT(records, ElementsAre(FieldsAre(42, 1.0, true), FieldsAre(5, DoubleEq(0.5), false),
                                   FieldsAre(7, DoubleEq(0.3), false), FieldsAre(9, DoubleEq(0.2), false)));
  EXPECT_TRUE(manager.NewPredictionsAvailable(CMDPREDICT_WIDE("E")));
  EXPECT_FALSE(manager.NewPredictionsAvailable(CMDPREDICT_WIDE("Never")));
  // (environment, position, flagged, the command read with the flag, the command): reading clears the flag.
  for (const auto& [environment, index, flagged, commandIfUpdated, command] :
       {std::tuple{CMDPREDICT_WIDE("E"), 0, true, 5, 5}, std::tuple{CMDPREDICT_WIDE("E"), 0, false, 0, 5}, std::tuple{CMDPREDICT_WIDE("E"), -1, false, 0, 0},
        std::tuple{CMDPREDICT_WIDE("E"), 3, false, 0, 0}, std::tuple{CMDPREDICT_WIDE("Never"), 0, false, 0, 0}}) {
    int read = -1;
    EXPECT_EQ(manager.GetPredictionCommandIDIfUpdated(environment, index, read), flagged) << index;
    EXPECT_EQ(read, commandIfUpdated) << index;
    EXPECT_EQ(manager.GetPredictionCommandID(environment, index), command) << index;
  }
  EXPECT_EQ(TakeUpdatedFlags(), (std::vector<bool>{false, true, true}));
  // Shown one position deep, 8, 5, 8, 5, 8, 5, 8 leave the model counting 5 eight times, 8 four.
  manager.SetNumCommandsUsedForPrediction(0);
  manager.SetNumberOfPredictionCommands(1);
  RunCommands(manager, "E", {8, 5, 8, 5, 8, 5, 8});
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 4), (CommandList{5, 0, 0, 0}));  // never shorter
  TakeUpdatedFlags();
  manager.SetNumberOfPredictionCommands(2);
  manager.UpdatePredictions(CMDPREDICT_WIDE("E"));
  records.clear();
  manager.GetPredictionCommandIDs("E", records);
  EXPECT_THAT(records, ElementsAre(FieldsAre(5, DoubleEq(8.0 / 17.0), false),
                                   FieldsAre(8, DoubleEq(4.0 / 17.0), false), FieldsAre(0, 0.0, false)));
  // Position 2 held 0 already and is flagged again.
  EXPECT_EQ(TakeUpdatedFlags(), (std::vector<bool>{false, true, true}));
}

TEST_F(Predictions, LoadFromTheLatestCommandsAndRefreshOnlyAnEnvironmentNotCurrent) {
  manager.AddCommandToCommandsUsedForPrediction(CMDPREDICT_WIDE("E"), 5);
  EXPECT_EQ(manager.BeforeCommandRun(100, nullptr, "E", 1, 0), S_FALSE);  // not to be learnt
  // After 5 came 7 three times and 9 twice: (0.5 + 2 x 0.6, 0.3 + 2 x 0.4, 0.2) over 3.
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 3), (CommandList{7, 9, 5}));
  manager.SetNumberOfPredictionCommands(1);
  manager.GenerateInitialPredictions(CMDPREDICT_WIDE("E"));
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 3), (CommandList{7, 9, 5}));
  manager.GenerateInitialPredictions(CMDPREDICT_WIDE("F"));
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("excluded.txt"), "7\n"));
  manager.LoadCommandsExcludedFromTraining(Utf8ToWide(folder.File("excluded.txt")));
  manager.GenerateInitialPredictions(CMDPREDICT_WIDE("E"));
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 3), (CommandList{9, 5, 0}));  // chosen from the best 3
}

// A manager whose models live in a temporary folder, with a handler that keeps every record.
class FailuresReachTheHost : public ::testing::Test {
 protected:
  FailuresReachTheHost() {
    manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(folder.Path() + kPathSeparator).c_str(), 1, 10);
  }
  std::string ModelFile(const std::string& environment) const {
    return folder.File("ModelPrediction") + kPathSeparator + environment + ".ContextTree";
  }

  TempFolder folder;
  CPredictionCommandManager manager;
  DiagnosticLog log{manager};
};

TEST_F(FailuresReachTheHost, BeforeQuitFailsWhenAModelIsNotWrittenAfterWritingTheOthers) {
  RunCommands(manager, "E1", {5});
  RunCommands(manager, "E2", {7});
  RecordingEnv full;
  full.failingWrites.insert(ModelFile("E1"));
  const ScopedEnv scoped(full);
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(full.PathsOf("ReplaceFile"), (std::vector<std::string>{ModelFile("E1"), ModelFile("E2")}));
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kModelNotSaved, CMDPREDICT_WIDE("E1"),
                                                 ModelFile("E1"), "No space left on device"}}));
  full.failingWrites.clear();
  EXPECT_EQ(manager.BeforeQuit(), S_OK);
}

TEST_F(FailuresReachTheHost, ARepairedModelFileIsReportedWithItsEnvironmentWhenItIsLoaded) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(ModelFile("E1"), R"({"i":0,"f":0.0,"c":[{"i":1,"f":-1.0,"c":[]}],)"
                                                       R"("version":"1.0","d":2,"encodings":["","5"]})"));
  FixedClockEnv clock(1700000000);
  const ScopedEnv scoped(clock);
  RunCommands(manager, "E1", {5});
  EXPECT_EQ(log.Seen(),
            (KindsAndPaths{{DiagnosticKind::kModelFileRepaired, ModelFile("E1")},
                           {DiagnosticKind::kBackupWritten, ModelFile("E1") + "_1700000000.backup"}}));
  for (const Diagnostic& d : log.diagnostics) EXPECT_EQ(d.environment, CMDPREDICT_WIDE("E1"));
}

// The handler's exceptions are its own: each record is still delivered, the operation returns its
// result, and the manager goes on as if the handler had returned.
TEST_F(FailuresReachTheHost, AHandlerThatThrowsGetsEveryRecordAndLeavesTheManagerWhole) {
  RunCommands(manager, "E1", {5});
  RunCommands(manager, "E2", {7});
  int calls = 0;
  manager.SetDiagnosticHandler([&calls](const Diagnostic&) {
    ++calls;
    throw std::runtime_error("the host's logger failed");
  });
  RecordingEnv full;
  full.failingWrites = {ModelFile("E1"), ModelFile("E2")};
  const ScopedEnv scoped(full);
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(RunCommands(manager, "E1", {6}), std::vector<LONG>{S_OK});
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E1")), (CommandList{5, 6}));
}

// A folder stands where the model file goes.
TEST_F(FailuresReachTheHost, WithoutAHandlerNothingIsPrinted) {
  manager.SetDiagnosticHandler(nullptr);
  RunCommands(manager, "E1", {5});
  std::filesystem::create_directory(ModelFile("E1"));
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace cmdpredict
