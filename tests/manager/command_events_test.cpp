#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>
#include <optional>
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

// (name, command, run kind, result), each on a manager of its own; run kind 1 marks a run not to be learnt.
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

// E learnt 6 and 5, and then ran 6 with training off.
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

TEST_F(WithoutTraining, ThePredictionsAreRefreshed) {
  EXPECT_EQ(Commands(manager, kE, 2), (CommandList{5, 6}));
}

TEST_F(WithoutTraining, NothingIsTakenBack) { EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE), 0); }

// Once training is on again, the model still ends with 5, and 5 is the command to take back.
TEST_F(WithoutTraining, TheModelLearnsNothing) {
  manager.SetAddToPredictionModel(true);
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(kE, 5));
}

// (name, commands asked to be taken back in turn after E learnt 6 and 5, answers), each on a manager
// of its own. With nothing learnt since a take-back, 0 still takes back what the model holds.
TEST(TakeBack, AnswersWhetherTheLastCommandLearntIsTakenBack) {
  const std::tuple<const char*, CommandList, std::vector<bool>> cases[] = {
      {"the last learnt, once only", {5, 5}, {true, false}},
      {"another than the last learnt, refused", {6, 5}, {false, true}},
      {"0 after a take-back: what the model holds", {5, 0, 0}, {true, false, true}}};
  for (const auto& [name, commands, answers] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10);
    RunCommands(manager, "E", {6, 5});
    std::vector<bool> results;
    for (const LONG c : commands) results.push_back(manager.RemoveLastTrainingSequenceCommand(kE, c));
    EXPECT_EQ(results, answers);
  }
}

TEST_F(InMemoryManager, ATakeBackLeavesTheLatestCommands) {
  RunCommands(manager, "E", {6, 5});
  manager.RemoveLastTrainingSequenceCommand(kE, 5);
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{6, 5}));
}

TEST_F(CommandEvents, AnEnvironmentNamedInUtf8IsTheOneOfTheSameWideName) {
  RunCommands(manager, "Mod\xc3\xa8le \xf0\x9f\x98\x80", {5});
  const WString wide = CMDPREDICT_WIDE("Mod\u00e8le \U0001F600");
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(5, nullptr, wide, 0, 0), S_FALSE);
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

// (name, identifiers, result)
TEST(LastCommandId, SkipsPlaceholdersUnlessNothingElseIsLeft) {
  const std::tuple<const char*, std::optional<std::list<DWORD>>, DWORD> cases[] = {
      {"the first real identifier", {{0, 45000, 12}}, 12},
      {"a lone 45000", {{45000}}, 45000},
      {"a lone 0", {{0}}, 0},
      {"placeholders only: the last", {{0, 45000}}, 45000},
      {"placeholders only, 0 last", {{45000, 0}}, 0},
      {"the first of two", {{7, 12}}, 7},
      {"an empty list", std::list<DWORD>{}, 0},
      {"no list", std::nullopt, 0}};
  for (const auto& [name, ids, expected] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    if (ids) manager.SetCommandIdList(CMDPREDICT_WIDE("list"), *ids);
    EXPECT_EQ(manager.LastCommandId(CMDPREDICT_WIDE("list")), expected);
  }
}

// --- The lists of latest commands (they need no model: these managers are never initialised) ----

// (name, maximum, commands added, commands kept), each on a manager of its own.
TEST(LatestCommandLists, DropTheOldestCommandBeyondANonNegativeMaximum) {
  const CommandList twelve{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
  const std::tuple<const char*, int, CommandList, CommandList> cases[] = {
      {"3", 3, {1, 2, 3, 4}, {2, 3, 4}},
      {"0: the newest only", 0, {1, 2, 3}, {3}},
      {"negative", -1, twelve, twelve}};
  for (const auto& [name, maximum, added, kept] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager manager;
    manager.SetMaxNumCommandsUsedForPrediction(maximum);
    for (const int command : added) EXPECT_TRUE(manager.AddCommandToCommandsUsedForPrediction(kE, command));
    EXPECT_EQ(LatestCommands(manager, kE), kept);
  }
}

// Adds each command to the list of E; the results, in order.
std::vector<bool> Add(CPredictionCommandManager& manager, const CommandList& commands) {
  std::vector<bool> results;
  for (const int c : commands) results.push_back(manager.AddCommandToCommandsUsedForPrediction(kE, c));
  return results;
}

TEST(LatestCommandLists, RefuseARepeatOfTheLastCommandOnly) {
  CPredictionCommandManager manager;
  EXPECT_EQ(Add(manager, {5, 5, 1, 5}), (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{5, 1, 5}));
}

TEST(LatestCommandLists, KeepTheirLengthAfterTheMaximumIsLowered) {
  CPredictionCommandManager manager;
  Add(manager, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  manager.SetMaxNumCommandsUsedForPrediction(5);
  Add(manager, {11, 12});
  EXPECT_EQ(LatestCommands(manager, kE), (CommandList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

// (name, count asked for, what the caller holds after 0 was in it); the list of E is 2, 3, 4.
TEST(LatestCommandLists, HandTheNewestCommandsOverOldestFirstAfterWhatTheCallerHeld) {
  CPredictionCommandManager manager;
  Add(manager, {2, 3, 4});
  const std::tuple<const char*, int, CommandList> cases[] = {
      {"fewer", 2, {0, 3, 4}}, {"more", 5, {0, 2, 3, 4}}, {"none", 0, {0}}, {"negative", -1, {0}}};
  for (const auto& [name, count, expected] : cases) {
    SCOPED_TRACE(name);
    CommandList commands{0};
    manager.GetCommandsToUseForPrediction(kE, count, commands);
    EXPECT_EQ(commands, expected);
  }
}

TEST(LatestCommandLists, AreEmptyForAnEnvironmentNeverUsed) {
  EXPECT_EQ(CPredictionCommandManager().GetNumberOfCommandsAvailableForPrediction(kE), 0U);
}

// E1 = 3, 1, 3 and E2 = 3.
class Removal : public InMemoryManager {
 protected:
  Removal() {
    RunCommands(manager, "E1", {3, 1, 3});
    RunCommands(manager, "E2", {3});
  }
  const WString kE1 = CMDPREDICT_WIDE("E1"), kE2 = CMDPREDICT_WIDE("E2"), kE3 = CMDPREDICT_WIDE("E3");
};

TEST_F(Removal, TakesTheFirstOccurrenceOutOfEveryList) {
  manager.RemoveCommandFromCommandsUsedForPrediction(kE3, 3);
  EXPECT_EQ(LatestCommands(manager, kE1), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, kE2).empty());
}

TEST_F(Removal, AnswersWhetherTheNamedEnvironmentsListHeldTheCommand) {
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(kE3, 3));
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(kE1, 3));
}

TEST_F(Removal, RefreshesTheNamedEnvironment) {
  manager.RemoveCommandFromCommandsUsedForPrediction(kE3, 3);
  EXPECT_TRUE(manager.NewPredictionsAvailable(kE3));
}

TEST_F(Removal, LeavesAnEmptiedListAcceptingTheNextCommandForTheModel) {
  manager.RemoveCommandFromCommandsUsedForPrediction(kE2, 3);
  EXPECT_EQ(RunCommands(manager, "E2", {3, 5}), (std::vector<LONG>{S_OK, S_OK}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(kE2), 5);
}

}  // namespace
}  // namespace cmdpredict
