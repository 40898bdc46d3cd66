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
  // A list file holding the text.
  WString ListFile(const std::string& text) {
    EXPECT_TRUE(SystemEnv().ReplaceFile(lists.File("list.txt"), text));
    return Utf8ToWide(lists.File("list.txt"));
  }
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
  manager.LoadCommandsExcludedFromTraining(ListFile("5,61999,62000,63999,64000"));
  manager.LoadCommandsUserExcluded(ListFile("6,1,7,0"));
  manager.AddCommandIDToUserExcludedCommands(62001);
  // (command, run kind, result), in the order run; run kind 1: not to be learnt.
  const std::tuple<LONG, DWORD, LONG> cases[] = {
      {0, 0, S_FALSE},   {65525, 0, S_FALSE}, {65526, 0, S_FALSE}, {65524, 0, S_OK}, {65527, 0, S_OK},
      {100, 1, S_FALSE}, {62000, 1, S_FALSE}, {100, 2, S_OK},      {62000, 0, S_OK}, {63999, 0, S_OK},
      {62001, 0, S_OK},  {61999, 0, S_FALSE}, {64000, 0, S_FALSE}, {5, 0, S_FALSE},  {6, 0, S_FALSE},
      {7, 0, S_OK},      {7, 0, S_FALSE}};
  for (const auto& [command, kind, result] : cases)
    EXPECT_EQ(manager.BeforeCommandRun(command, nullptr, "E", kind, 0), result) << command << ", " << kind;
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{65524, 65527, 100, 62000, 63999, 62001, 7}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 7);  // learnt once
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 62001);
  EXPECT_EQ(SavedUserList(), "6,1,7,0,100,0,62001,1,65524,0,65527,0");
  manager.AddCommandIDToUserExcludedCommands(100);  // seen before
  EXPECT_EQ(RunCommands(manager, "E", {100}), std::vector<LONG>{S_FALSE});
}

TEST_F(CommandEvents, TakesBackOnlyTheLastCommandLearntOnlyOnceAndLearnsNothingWithoutTraining) {
  RunCommands(manager, "E", {6, 5});
  manager.SetAddToPredictionModel(false);
  EXPECT_EQ(RunCommands(manager, "E", {6}), std::vector<LONG>{S_OK});
  EXPECT_EQ(Commands(manager, u"E", 2), (CommandList{5, 6}));  // refreshed: 5 followed 6
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
  manager.SetAddToPredictionModel(true);
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 6));  // 5 is the last learnt
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 5));
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 5));
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{6, 5, 6}));
  // 0 with nothing learnt since still takes back what the model holds: 6, then nothing.
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 0));
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 0));
}

TEST_F(CommandEvents, NamesAnEnvironmentByItsExactCodeUnitsAndThrowsForInvalidUtf8BeforeAnythingChanged) {
  EXPECT_EQ(RunCommands(manager, "Mod\xc3\xa8le \xf0\x9f\x98\x80", {5}), std::vector<LONG>{S_OK});
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(5, nullptr, u"Mod\u00e8le \U0001F600", 0, 0), S_FALSE);
  // Letter case counts.
  EXPECT_EQ(RunCommands(manager, "mod\xc3\xa8le \xf0\x9f\x98\x80", {5}), std::vector<LONG>{S_OK});
  EXPECT_THAT([this] { RunCommands(manager, "E\xff", {7}); },
              ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")));
  EXPECT_EQ(SavedUserList(), "5,0");  // 7 was never tested
}

TEST(LastCommandId, SkipsPlaceholdersUnlessNothingElseIsLeft) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.LastCommandId(u"list"), 0U);
  const std::pair<std::list<DWORD>, DWORD> cases[] = {
      {{0, 45000, 12}, 12}, {{45000}, 45000}, {{0}, 0}, {{0, 45000}, 45000},
      {{45000, 0}, 0},      {{7, 12}, 7},     {{}, 0}};
  for (const auto& [ids, expected] : cases) {
    manager.SetCommandIdList(u"list", ids);
    EXPECT_EQ(manager.LastCommandId(u"list"), expected) << ::testing::PrintToString(ids);
  }
}

// --- The lists of latest commands ---------------------------------------------------------------

// Adds the commands to the list of E; the results, in order.
std::vector<bool> Add(CPredictionCommandManager& manager, const CommandList& commands) {
  std::vector<bool> results;
  for (const int c : commands) results.push_back(manager.AddCommandToCommandsUsedForPrediction(u"E", c));
  return results;
}

// The lists need no model: a manager that was never initialised keeps them.
TEST(LatestCommandLists, DropTheOldestBeyondTheMaximumRefuseARepeatAndHandOverTheNewest) {
  const bool t = true, f = false;
  const CommandList twelve{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
  // (maximum, commands added, results, commands kept)
  const std::tuple<int, CommandList, std::vector<bool>, CommandList> cases[] = {
      {3, {1, 2, 3, 4}, {t, t, t, t}, {2, 3, 4}},
      {10, {5, 5, 1, 2, 1}, {t, f, t, t, t}, {5, 1, 2, 1}},
      {0, {1, 2, 3}, {t, t, t}, {3}},
      {-1, twelve, std::vector<bool>(12, t), twelve}};
  for (const auto& [maximum, added, results, kept] : cases) {
    SCOPED_TRACE(::testing::Message() << "maximum " << maximum);
    CPredictionCommandManager manager;
    manager.SetMaxNumCommandsUsedForPrediction(maximum);
    EXPECT_EQ(Add(manager, added), results);
    EXPECT_EQ(LatestCommands(manager, u"E"), kept);
  }
  CPredictionCommandManager manager;
  Add(manager, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  manager.SetMaxNumCommandsUsedForPrediction(5);
  Add(manager, {11, 12});
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  // The newest commands, oldest first, after what the caller's vector held.
  const std::pair<int, CommandList> counts[] = {
      {2, {0, 11, 12}}, {11, {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}, {0, {0}}, {-1, {0}}};
  for (const auto& [count, expected] : counts) {
    CommandList commands{0};
    manager.GetCommandsToUseForPrediction(u"E", count, commands);
    EXPECT_EQ(commands, expected) << "count " << count;
  }
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(u"Never"), 0U);
}

// E1 = 3, 1, 3 and E2 = 3: a removal takes the first occurrence out of every list.
TEST_F(CommandEvents, RemovalTakesACommandOutOfEveryListAnswersForTheNamedOneAndLetsItLearnAgain) {
  RunCommands(manager, "E1", {3, 1, 3});
  RunCommands(manager, "E2", {3});
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E3", 3));
  EXPECT_EQ(LatestCommands(manager, u"E1"), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, u"E2").empty());
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E3"));
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E1", 3));
  EXPECT_EQ(LatestCommands(manager, u"E1"), CommandList{1});
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E1", 7));
  // The emptied list accepts the next command as a missing one does.
  EXPECT_EQ(RunCommands(manager, "E2", {3, 5}), (std::vector<LONG>{S_OK, S_OK}));
  EXPECT_EQ(LatestCommands(manager, u"E2"), (CommandList{3, 5}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E2"), 5);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E2"), 3);
}

}  // namespace
}  // namespace cmdpredict
