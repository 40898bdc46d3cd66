#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>
#include <stdexcept>
#include <string>
#include <tuple>

#include "manager/manager_test_support.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

const WString kE = CMDPREDICT_WIDE("E");

// An initialised manager that excludes 61999 to 64000 (the ends of the band that is always learnt)
// from training, and whose user excluded 6 and 62001.
CPredictionCommandManager ManagerWithLists(const TempFolder& lists) {
  CPredictionCommandManager manager;
  manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10);
  SystemEnv().ReplaceFile(lists.File("list.txt"), "61999,62000,63999,64000");
  manager.LoadCommandsExcludedFromTraining(Utf8ToWide(lists.File("list.txt")));
  for (const LONG command : {6, 62001}) manager.AddCommandIDToUserExcludedCommands(command);
  return manager;
}

class CommandEvents : public ::testing::Test {
 protected:
  // What SaveCommandsUserExcluded writes: the user's list and every command seen while recording.
  std::string SavedUserList() {
    std::string text;
    manager.SaveCommandsUserExcluded(Utf8ToWide(lists.File("saved.txt")));
    SystemEnv().ReadFile(lists.File("saved.txt"), text);
    return text;
  }
  TempFolder lists;
  CPredictionCommandManager manager = ManagerWithLists(lists);
};

// Each case on a manager of its own; run kind 1 marks a run not to be learnt.
TEST(CommandEventCases, DecideWhetherACommandIsLearnt) {
  const TempFolder lists;
  const std::tuple<const char*, LONG, DWORD, LONG> cases[] = {
      {"0, reserved", 0, 0, S_FALSE},
      {"65525, reserved", 65525, 0, S_FALSE},
      {"65526, reserved", 65526, 0, S_FALSE},
      {"65524, ordinary", 65524, 0, S_OK},
      {"65527, ordinary", 65527, 0, S_OK},
      {"not to be learnt", 100, 1, S_FALSE},
      {"not to be learnt, in the band", 62000, 1, S_FALSE},
      {"another run kind", 100, 2, S_OK},
      {"band's first, excluded", 62000, 0, S_OK},
      {"band's last, excluded", 63999, 0, S_OK},
      {"in the band, user-excluded", 62001, 0, S_OK},
      {"below the band, excluded", 61999, 0, S_FALSE},
      {"above the band, excluded", 64000, 0, S_FALSE},
      {"user-excluded", 6, 0, S_FALSE},
      {"in no list", 7, 0, S_OK}};
  for (const auto& [name, command, runKind, result] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ManagerWithLists(lists).BeforeCommandRun(command, nullptr, "E", runKind, 0), result);
  }
}

// Reserved commands, runs not to be learnt and the band always learnt never reach the lists.
TEST_F(CommandEvents, OnlyCommandsTestedAgainstTheListsAreSavedAsSeen) {
  RunCommands(manager, "E", {0, 65525, 62000, 64000, 7});
  manager.BeforeCommandRun(100, nullptr, "E", 1, 0);
  EXPECT_EQ(SavedUserList(), "6,1,7,0,62001,1");
}

// E learnt 6 and 5, and then 6 with training off.
class WithoutTraining : public InMemoryManager {
 protected:
  WithoutTraining() {
    RunCommands(manager, "E", {6, 5});
    manager.SetAddToPredictionModel(false);
    result = manager.BeforeCommandRun(6, nullptr, "E", 0, 0);
  }
  LONG result = S_FALSE;
};

TEST_F(WithoutTraining, ACommandEntersTheLatestCommands) {
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{6, 5, 6}));
}

TEST_F(WithoutTraining, TheModelLearnsNothing) {
  manager.SetAddToPredictionModel(true);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 5);
}

TEST_F(WithoutTraining, ThePredictionsAreRefreshed) {
  EXPECT_EQ(Commands(manager, kE, 2), (CommandList{5, 6}));  // 5 followed 6
}

TEST_F(WithoutTraining, NothingIsTakenBack) { EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 0); }

TEST_F(WithoutTraining, TheLastCommandLearntStaysTheOneToTakeBack) {
  manager.SetAddToPredictionModel(true);
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(kE, 5));
}

// E learnt 6 and then 5.
class TakeBack : public InMemoryManager {
 protected:
  TakeBack() { RunCommands(manager, "E", {6, 5}); }
};

TEST_F(TakeBack, TakesBackTheLastCommandLearntOnce) {
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(kE, 5));
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(kE, 5));
}

TEST_F(TakeBack, RefusesACommandOtherThanTheLastLearnt) {
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(kE, 6));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 5);
}

TEST_F(TakeBack, LeavesTheLatestCommands) {
  manager.RemoveLastTrainingSequenceCommand(kE, 5);
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{6, 5}));
}

// With nothing learnt since, 0 still takes back what the model holds: 6, then nothing.
TEST_F(TakeBack, OfZeroAfterATakeBackTakesBackWhatTheModelHolds) {
  manager.RemoveLastTrainingSequenceCommand(kE, 5);
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(kE, 0));
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(kE, 0));
}

TEST_F(CommandEvents, AnEnvironmentNamedInUtf8IsTheOneOfTheSameWideName) {
  RunCommands(manager, "Mod\xc3\xa8le \xf0\x9f\x98\x80", {5});
  EXPECT_EQ(
      manager.RecordTrainingSequenceCommand(5, nullptr, CMDPREDICT_WIDE("Mod\u00e8le \U0001F600"), 0, 0),
      S_FALSE);
}

TEST_F(CommandEvents, EnvironmentNamesThatDifferInLetterCaseAreDifferent) {
  RunCommands(manager, "E", {5});
  EXPECT_EQ(RunCommands(manager, "e", {5}), std::vector<LONG>{S_OK});
}

TEST_F(CommandEvents, AnEnvironmentNameThatIsNotUtf8ThrowsBeforeAnythingChanges) {
  EXPECT_THAT([this] { RunCommands(manager, "E\xff", {7}); },
              ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")));
  EXPECT_EQ(SavedUserList(), "6,1,62001,1");  // 7 was never tested
}

TEST(LastCommandId, SkipsPlaceholdersUnlessNothingElseIsLeft) {
  const std::tuple<const char*, std::list<DWORD>, DWORD> cases[] = {
      {"the first real identifier", {0, 45000, 12}, 12},
      {"a lone 45000", {45000}, 45000},
      {"a lone 0", {0}, 0},
      {"placeholders only: the last", {0, 45000}, 45000},
      {"placeholders only, 0 last", {45000, 0}, 0},
      {"the first of two", {7, 12}, 7},
      {"an empty list", {}, 0}};
  for (const auto& [name, ids, expected] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    manager.SetCommandIdList(CMDPREDICT_WIDE("list"), ids);
    EXPECT_EQ(manager.LastCommandId(CMDPREDICT_WIDE("list")), expected);
  }
}

TEST(LastCommandId, IsZeroForANameWithoutList) {
  EXPECT_EQ(CPredictionCommandManager().LastCommandId(CMDPREDICT_WIDE("list")), 0U);
}

// --- The lists of latest commands (they need no model: these managers are never initialised) ----

class LatestCommandLists : public ::testing::Test {
 protected:
  // Adds the commands to the list of E; the results, in order.
  std::vector<bool> Add(const CommandList& commands) {
    std::vector<bool> results;
    for (const int c : commands) results.push_back(manager.AddCommandToCommandsUsedForPrediction(kE, c));
    return results;
  }
  CPredictionCommandManager manager;
};

// Each case on a manager of its own.
TEST(LatestCommandListCases, DropTheOldestCommandBeyondANonNegativeMaximum) {
  const CommandList twelve{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
  const std::tuple<const char*, int, CommandList, CommandList> cases[] = {
      {"3", 3, {1, 2, 3, 4}, {2, 3, 4}},
      {"0: the newest only", 0, {1, 2, 3}, {3}},
      {"negative: no limit", -1, twelve, twelve}};
  for (const auto& [name, maximum, added, kept] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    manager.SetMaxNumCommandsUsedForPrediction(maximum);
    for (const int command : added) EXPECT_TRUE(manager.AddCommandToCommandsUsedForPrediction(kE, command));
    EXPECT_EQ(LatestCommands(manager, kE), kept);
  }
}

TEST_F(LatestCommandLists, RefuseARepeatOfTheLastCommandOnly) {
  EXPECT_EQ(Add({5, 5, 1, 5}), (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{5, 1, 5}));
}

TEST_F(LatestCommandLists, KeepTheirLengthAfterTheMaximumIsLowered) {
  Add({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  manager.SetMaxNumCommandsUsedForPrediction(5);
  Add({11, 12});
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(LatestCommandLists, HandTheNewestCommandsOverOldestFirstAfterWhatTheCallerHeld) {
  Add({2, 3, 4});
  const std::tuple<const char*, int, CommandList> cases[] = {{"fewer than the list", 2, {0, 3, 4}},
                                                             {"more than the list", 5, {0, 2, 3, 4}},
                                                             {"none", 0, {0}},
                                                             {"a negative count", -1, {0}}};
  for (const auto& [name, count, expected] : cases) {
    SCOPED_TRACE(name);
    CommandList commands{0};
    manager.GetCommandsToUseForPrediction(kE, count, commands);
    EXPECT_EQ(commands, expected);
  }
}

TEST_F(LatestCommandLists, AreEmptyForAnEnvironmentNeverUsed) {
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(CMDPREDICT_WIDE("N")), 0U);
}

// E1 = 3, 1, 3 and E2 = 3.
class Removal : public InMemoryManager {
 protected:
  Removal() {
    RunCommands(manager, "E1", {3, 1, 3});
    RunCommands(manager, "E2", {3});
  }
};

TEST_F(Removal, TakesTheFirstOccurrenceOutOfEveryList) {
  manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E3"), 3);
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E1")), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, CMDPREDICT_WIDE("E2")).empty());
}

TEST_F(Removal, AnswersWhetherTheNamedEnvironmentsListHeldTheCommand) {
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E3"), 3));
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E1"), 3));
}

TEST_F(Removal, RefreshesTheNamedEnvironment) {
  manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E3"), 3);
  EXPECT_TRUE(manager.NewPredictionsAvailable(CMDPREDICT_WIDE("E3")));
}

TEST_F(Removal, LeavesAnEmptiedListAcceptingTheNextCommandForTheModel) {
  manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E2"), 3);
  EXPECT_EQ(RunCommands(manager, "E2", {3, 5}), (std::vector<LONG>{S_OK, S_OK}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E2")), 5);
}

}  // namespace
}  // namespace cmdpredict
