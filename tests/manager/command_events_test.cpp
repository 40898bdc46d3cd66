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

class CommandEvents : public InMemoryManager {
 protected:
  // What SaveCommandsUserExcluded writes: the user's list and every command seen while recording.
  std::string SavedUserList() {
    std::string text;
    manager.SaveCommandsUserExcluded(Utf8ToWide(lists.File("saved.txt")));
    SystemEnv().ReadFile(lists.File("saved.txt"), text);
    return text;
  }
  TempFolder lists;
};

TEST_F(CommandEvents, LearnsByIdentifierRunKindListsAndRepeatAndMarksOnlyCommandsTestedAsSeen) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(lists.File("list.txt"), "5,61999,62000,63999,64000"));
  manager.LoadCommandsExcludedFromTraining(Utf8ToWide(lists.File("list.txt")));
  for (const LONG command : {6, 62001}) manager.AddCommandIDToUserExcludedCommands(command);
  // (command, run kind, result), in the order run; run kind 1: not to be learnt.
  const std::tuple<LONG, DWORD, LONG> cases[] = {
      {0, 0, S_FALSE},   {65525, 0, S_FALSE}, {65526, 0, S_FALSE}, {65524, 0, S_OK}, {65527, 0, S_OK},
      {100, 1, S_FALSE}, {62000, 1, S_FALSE}, {100, 2, S_OK},      {62000, 0, S_OK}, {63999, 0, S_OK},
      {62001, 0, S_OK},  {61999, 0, S_FALSE}, {64000, 0, S_FALSE}, {5, 0, S_FALSE},  {6, 0, S_FALSE},
      {7, 0, S_OK},      {7, 0, S_FALSE}};
  for (const auto& [command, kind, result] : cases)
    EXPECT_EQ(manager.BeforeCommandRun(command, nullptr, "E", kind, 0), result) << command << ", " << kind;
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E")), 7);  // learnt once
  EXPECT_EQ(SavedUserList(), "6,1,7,0,100,0,62001,1,65524,0,65527,0");
}

TEST_F(CommandEvents, TakesBackOnlyTheLastCommandLearntOnlyOnceAndLearnsNothingWithoutTraining) {
  RunCommands(manager, "E", {6, 5});
  manager.SetAddToPredictionModel(false);
  EXPECT_EQ(RunCommands(manager, "E", {6}), std::vector<LONG>{S_OK});
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 2), (CommandList{5, 6}));  // refreshed: 5 followed 6
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E")), 0);
  manager.SetAddToPredictionModel(true);
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(CMDPREDICT_WIDE("E"), 6));  // 5 is the last learnt
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(CMDPREDICT_WIDE("E"), 5));
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(CMDPREDICT_WIDE("E"), 5));
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E")), (CommandList{6, 5, 6}));
  // 0 with nothing learnt since still takes back what the model holds: 6, then nothing.
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(CMDPREDICT_WIDE("E"), 0));
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(CMDPREDICT_WIDE("E"), 0));
}

TEST_F(CommandEvents, NamesAnEnvironmentByItsExactCodeUnitsAndThrowsForInvalidUtf8BeforeAnythingChanged) {
  EXPECT_EQ(RunCommands(manager, "Mod\xc3\xa8le \xf0\x9f\x98\x80", {5}), std::vector<LONG>{S_OK});
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(5, nullptr, CMDPREDICT_WIDE("Mod\u00e8le \U0001F600"), 0, 0), S_FALSE);
  // Letter case counts.
  EXPECT_EQ(RunCommands(manager, "mod\xc3\xa8le \xf0\x9f\x98\x80", {5}), std::vector<LONG>{S_OK});
  EXPECT_THAT([this] { RunCommands(manager, "E\xff", {7}); },
              ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")));
  EXPECT_EQ(SavedUserList(), "5,0");  // 7 was never tested
}

TEST(LastCommandId, SkipsPlaceholdersUnlessNothingElseIsLeft) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.LastCommandId(CMDPREDICT_WIDE("list")), 0U);
  const std::pair<std::list<DWORD>, DWORD> cases[] = {
      {{0, 45000, 12}, 12}, {{45000}, 45000}, {{0}, 0}, {{0, 45000}, 45000},
      {{45000, 0}, 0},      {{7, 12}, 7},     {{}, 0}};
  for (const auto& [ids, expected] : cases) {
    manager.SetCommandIdList(CMDPREDICT_WIDE("list"), ids);
    EXPECT_EQ(manager.LastCommandId(CMDPREDICT_WIDE("list")), expected) << ::testing::PrintToString(ids);
  }
}

// --- The lists of latest commands ---------------------------------------------------------------

// Adds the commands to the list of E; the results (1 for true), in order.
std::vector<int> Add(CPredictionCommandManager& manager, const CommandList& commands) {
  std::vector<int> results;
  for (const int c : commands) results.push_back(manager.AddCommandToCommandsUsedForPrediction(CMDPREDICT_WIDE("E"), c));
  return results;
}

// The lists need no model: a manager that was never initialised keeps them.
TEST(LatestCommandLists, DropTheOldestBeyondTheMaximumRefuseARepeatAndHandOverTheNewest) {
  const CommandList twelve{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
  // (maximum, commands added, results, commands kept)
  const std::tuple<int, CommandList, std::vector<int>, CommandList> cases[] = {
      {3, {5, 5, 1, 2, 1}, {1, 0, 1, 1, 1}, {1, 2, 1}},
      {0, {1, 2, 3}, {1, 1, 1}, {3}},
      {-1, twelve, std::vector<int>(12, 1), twelve}};
  for (const auto& [maximum, added, results, kept] : cases) {
    CPredictionCommandManager manager;
    manager.SetMaxNumCommandsUsedForPrediction(maximum);
    EXPECT_EQ(Add(manager, added), results) << "maximum " << maximum;
    EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E")), kept) << "maximum " << maximum;
  }
  CPredictionCommandManager manager;
  Add(manager, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  manager.SetMaxNumCommandsUsedForPrediction(5);
  Add(manager, {11, 12});
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E")), (CommandList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  // The newest 2, all 10 for a count of 11, and none for 0 and -1, oldest first, after what the
  // caller's vector held.
  CommandList commands{0};
  for (const int count : {2, 11, 0, -1}) manager.GetCommandsToUseForPrediction(CMDPREDICT_WIDE("E"), count, commands);
  EXPECT_EQ(commands, (CommandList{0, 11, 12, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(CMDPREDICT_WIDE("Never")), 0U);
}

// E1 = 3, 1, 3 and E2 = 3: a removal takes the first occurrence out of every list.
TEST_F(CommandEvents, RemovalTakesACommandOutOfEveryListAnswersForTheNamedOneAndLetsItLearnAgain) {
  RunCommands(manager, "E1", {3, 1, 3});
  RunCommands(manager, "E2", {3});
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E3"), 3));
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E1")), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, CMDPREDICT_WIDE("E2")).empty());
  EXPECT_TRUE(manager.NewPredictionsAvailable(CMDPREDICT_WIDE("E3")));
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(CMDPREDICT_WIDE("E1"), 3));
  EXPECT_EQ(LatestCommands(manager, CMDPREDICT_WIDE("E1")), CommandList{1});
  // The emptied list accepts the next command as a missing one does, and the model learns it.
  EXPECT_EQ(RunCommands(manager, "E2", {3, 5}), (std::vector<LONG>{S_OK, S_OK}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E2")), 5);
}

}  // namespace
}  // namespace cmdpredict
