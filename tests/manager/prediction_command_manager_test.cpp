#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
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
  const std::tuple<const char*, int, int, int, int> cases[] = {{"above the default", 0, 15, 5, 10},
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
  EXPECT_EQ(CPredictionCommandManager().BeforeCommandRun(5, nullptr, "E", 0, 0), S_FALSE);
}

TEST(ManagerLifecycle, WithoutAFolderLearnsInMemoryOnly) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.Initialize(nullptr, nullptr, 1, 10), S_OK);
  EXPECT_EQ(RunCommands(manager, "E", {5}), std::vector<LONG>{S_OK});
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

// --- The model depth: its range, and that history + 1 predicts as 100 does ---------------------

TEST(ModelDepth, Is100UntilSet) { EXPECT_EQ(CPredictionCommandManager().GetModelDepth(), 100); }

// (depth set after 7, result, depth kept)
TEST(ModelDepth, IsSetOnlyFrom1To128) {
  const std::tuple<int, LONG, int> cases[] = {
      {1, S_OK, 1}, {128, S_OK, 128}, {0, E_INVALIDARG, 7}, {-1, E_INVALIDARG, 7}, {129, E_INVALIDARG, 7}};
  for (const auto& [depth, result, kept] : cases) {
    SCOPED_TRACE(depth);
    CPredictionCommandManager manager;
    manager.SetModelDepth(7);
    EXPECT_EQ(manager.SetModelDepth(depth), result);
    EXPECT_EQ(manager.GetModelDepth(), kept);
  }
}

// Host events in three environments: commands drawn with a skewed mix, interrupted by habits (fixed
// runs of 3 to 8 commands), and now and then a take-back (command 0), never two in a row in one
// environment: more in a row than 1 + the history margin would reach below what a lean model keeps.
std::vector<std::pair<const char*, LONG>> MakeEvents(std::uint32_t seed) {
  std::mt19937 random(seed);
  const auto pick = [&random] { return static_cast<LONG>(100 + 40 / (1 + random() % 40)); };
  std::vector<std::vector<LONG>> habits(8);
  for (auto& habit : habits) {
    habit.resize(3 + random() % 6);
    std::generate(habit.begin(), habit.end(), pick);
  }
  const char* const environments[] = {"A", "B", "C"};
  bool tookBack[3] = {};
  std::vector<std::pair<const char*, LONG>> events;
  while (events.size() < 1500) {
    const std::size_t e = random() % 3;
    tookBack[e] = !tookBack[e] && random() % 30 == 0;
    const std::vector<LONG> commands = tookBack[e]          ? std::vector<LONG>{0}
                                       : random() % 20 == 0 ? habits[random() % 8]
                                                            : std::vector<LONG>{pick()};
    for (const LONG command : commands) events.emplace_back(environments[e], command);
  }
  return events;
}

// The whole ranked list of the environment (probabilities compared exactly).
std::vector<std::pair<int, double>> RankedList(CPredictionCommandManager& manager, const char* environment) {
  std::vector<PredictionCommandManagerPredictionData> predictions;
  manager.GetPredictionCommandIDs(environment, predictions);
  std::vector<std::pair<int, double>> list;
  for (const auto& p : predictions) list.emplace_back(p.commandId, p.probability);
  return list;
}

TEST(ModelDepth, HistoryPlusOnePredictsBitForBitWhatDepth100Predicts) {
  for (const int history : {1, 3, 10}) {
    SCOPED_TRACE(::testing::Message() << "history " << history);
    CPredictionCommandManager lean, deep;
    ASSERT_EQ(lean.SetModelDepth(history + 1), S_OK);  // before Initialize: kept for the models to come
    for (CPredictionCommandManager* manager : {&lean, &deep}) {
      manager->Initialize(CMDPREDICT_WIDE(""), nullptr, history, 10);
      manager->SetNumberOfPredictionCommands(0);  // every prediction
    }
    const auto events = MakeEvents(static_cast<std::uint32_t>(history));
    for (std::size_t i = 0; i < events.size(); ++i) {
      const auto& [environment, command] = events[i];
      for (CPredictionCommandManager* manager : {&lean, &deep}) {
        if (command == 0) manager->RemoveTrainingSequenceCommand(Utf8ToWide(environment));
        if (command != 0) manager->BeforeCommandRun(command, nullptr, environment, 0, 0);
      }
      ASSERT_EQ(RankedList(lean, environment), RankedList(deep, environment)) << "event " << i;
    }
  }
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
  const WString appDataFolder = Utf8ToWide(folder.File(""));  // the model folder lies inside
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
// E2 have learnt a command each, and writing E1's model fails.
class FailuresReachTheHost : public ::testing::Test {
 protected:
  FailuresReachTheHost() {
    manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(folder.File("")).c_str(), 1, 10);
    RunCommands(manager, "E1", {5});
    RunCommands(manager, "E2", {7});
    full.failingWrites.insert(ModelFile("E1"));
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
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
}

TEST_F(FailuresReachTheHost, AModelNotWrittenIsReportedInFull) {
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

// The handler's exceptions are its own: each record is still delivered (E1 and E2 both fail here),
// and the manager goes on as if the handler had returned.
class ThrowingHandler : public FailuresReachTheHost {
 protected:
  ThrowingHandler() {
    manager.SetDiagnosticHandler([this](const Diagnostic&) {
      ++calls;
      throw std::runtime_error("the host's logger failed");
    });
    full.failingWrites.insert(ModelFile("E2"));
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

TEST_F(FailuresReachTheHost, WithoutAHandlerNothingIsPrinted) {
  manager.SetDiagnosticHandler(nullptr);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace cmdpredict
