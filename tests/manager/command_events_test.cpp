#include <gtest/gtest.h>

#include <list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "manager/manager_test_support.h"
#include "platform/env.h"

namespace cmdpredict {
namespace {

using Ranked = std::vector<std::pair<LONG, double>>;

constexpr DWORD kNotToBeLearnt = 1;

class CommandEvents : public InMemoryManager {
 protected:
  LONG RunOnce(LONG command, const char* environment = "E", DWORD runKind = 0) {
    return manager.BeforeCommandRun(command, nullptr, environment, runKind, 0);
  }
  // A list file in the temporary folder holding the text.
  WString ListFile(const std::string& name, const std::string& text) {
    const std::string path = lists.File(name);
    EXPECT_TRUE(SystemEnv().ReplaceFile(path, text));
    return Utf8ToWide(path);
  }
  // What SaveCommandsUserExcluded writes: the user's list and every command seen while recording.
  std::string SavedUserList() {
    const std::string path = lists.File("saved.txt");
    manager.SaveCommandsUserExcluded(Utf8ToWide(path));
    std::string text;
    SystemEnv().ReadFile(path, text);
    return text;
  }

  TempFolder lists;
};

TEST_F(CommandEvents, LearnsANewCommandAndRefreshesThePredictions) {
  EXPECT_EQ(RunOnce(100, "E1"), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E1"), std::vector<int>{100});
  EXPECT_EQ(Positions(manager, "E1"), (Ranked{{100, 1.0}}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E1"), 100);
}

TEST_F(CommandEvents, RefusesARepeatOfTheLastCommandAndTrainsNothing) {
  manager.SetNumCommandsUsedForPrediction(0);
  EXPECT_EQ(RunOnce(100), S_OK);
  EXPECT_EQ(RunOnce(100), S_FALSE);
  EXPECT_EQ(RunOnce(200), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{100, 200}));
  // Had 100 been learnt twice, it would be predicted with 2/3.
  EXPECT_EQ(Positions(manager, "E"), (Ranked{{200, 0.5}, {100, 0.5}}));
}

TEST_F(CommandEvents, RecordsTheSameWayThroughTheWideName) {
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(100, nullptr, u"E", 0, 0), S_OK);
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(100, nullptr, u"E", 0, 0), S_FALSE);
  EXPECT_EQ(LatestCommands(manager, u"E"), std::vector<int>{100});
}

TEST_F(CommandEvents, NeverLearnsTheReservedIdentifiers) {
  EXPECT_EQ(RunOnce(0), S_FALSE);
  EXPECT_EQ(RunOnce(65525), S_FALSE);
  EXPECT_EQ(RunOnce(65526), S_FALSE);
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
  EXPECT_EQ(RunOnce(65524), S_OK);
  EXPECT_EQ(RunOnce(65527), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{65524, 65527}));
}

TEST_F(CommandEvents, ARefusedCommandStillMakesItsEnvironmentCurrent) {
  RunOnce(5, "E1");
  // Excluding 5 shows in E1's positions only when they are refreshed.
  manager.LoadCommandsExcludedFromTraining(ListFile("training.txt", "5\n"));
  manager.GenerateInitialPredictions(u"E1");
  ASSERT_EQ(Commands(manager, u"E1", 1), std::vector<int>{5});
  EXPECT_EQ(RunOnce(0, "E2"), S_FALSE);
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E2"));
  manager.GenerateInitialPredictions(u"E1");
  EXPECT_EQ(Commands(manager, u"E1", 1), std::vector<int>{0});
}

TEST_F(CommandEvents, RefusesARunNotToBeLearntOfAnyCommand) {
  EXPECT_EQ(RunOnce(100, "E", kNotToBeLearnt), S_FALSE);
  EXPECT_EQ(RunOnce(62000, "E", kNotToBeLearnt), S_FALSE);
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
  EXPECT_EQ(RunOnce(100, "E", 2), S_OK);
}

// A model folder in which "E" predicts 5 first.
class CommandEventsWithSavedModel : public ManagerWithSavedModel {};

TEST_F(CommandEventsWithSavedModel, ARunNotToBeLearntStillLoadsAndShowsTheModel) {
  EXPECT_EQ(manager.BeforeCommandRun(100, nullptr, "E", kNotToBeLearnt, 0), S_FALSE);
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 7, 9}));
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
}

TEST_F(CommandEventsWithSavedModel, ALearntCommandTrainsTheLoadedModel) {
  manager.SetNumCommandsUsedForPrediction(0);
  RunCommands(manager, "E", {9, 7, 9, 7, 9, 7, 9});  // 9 now counts 6, like 7, and 5 counts 5
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{9, 7, 5}));
}

TEST_F(CommandEvents, LearnsTheAlwaysLearntRangeWhateverTheListsSay) {
  manager.LoadCommandsExcludedFromTraining(ListFile("training.txt", "62000,63999\n"));
  manager.AddCommandIDToUserExcludedCommands(62001);
  EXPECT_EQ(RunOnce(62000), S_OK);
  EXPECT_EQ(RunOnce(62001), S_OK);
  EXPECT_EQ(RunOnce(63999), S_OK);
  EXPECT_EQ(RunOnce(64000), S_OK);
  EXPECT_EQ(RunOnce(61999), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{62000, 62001, 63999, 64000, 61999}));
}

TEST_F(CommandEvents, NeverMarksTheAlwaysLearntRangeAsSeen) {
  RunOnce(62000);
  RunOnce(100);
  RunOnce(63999);
  EXPECT_EQ(SavedUserList(), "100,0");
}

TEST_F(CommandEvents, RefusesCommandsExcludedFromTrainingWithoutMarkingThemSeen) {
  manager.LoadCommandsExcludedFromTraining(ListFile("training.txt", "5,6\n"));
  EXPECT_EQ(RunOnce(5), S_FALSE);
  EXPECT_EQ(RunOnce(7), S_OK);
  EXPECT_EQ(SavedUserList(), "7,0");
}

TEST_F(CommandEvents, FollowsTheUsersFlag) {
  manager.LoadCommandsUserExcluded(ListFile("user.txt", "5,0,6,1"));
  EXPECT_EQ(RunOnce(5), S_OK);
  EXPECT_EQ(RunOnce(6), S_FALSE);
  EXPECT_EQ(LatestCommands(manager, u"E"), std::vector<int>{5});
}

TEST_F(CommandEvents, RefusesACommandThatTheUserExcludedAfterItWasSeen) {
  RunOnce(7);
  RunOnce(8);
  manager.AddCommandIDToUserExcludedCommands(7);
  EXPECT_EQ(RunOnce(7), S_FALSE);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{7, 8}));
}

TEST_F(CommandEvents, ShouldRecordMarksACommandSeenOnce) {
  EXPECT_TRUE(manager.ShouldRecordTrainingSequenceCommand(5, nullptr, 0, 0));
  EXPECT_TRUE(manager.ShouldRecordTrainingSequenceCommand(5, nullptr, 0, 0));
  EXPECT_FALSE(manager.ShouldRecordTrainingSequenceCommand(5, nullptr, kNotToBeLearnt, 0));
  EXPECT_EQ(SavedUserList(), "5,0");
}

TEST_F(CommandEvents, WithoutTrainingAddsToTheListAndRefreshesButLeavesTheModelAlone) {
  RunCommands(manager, "E", {5, 6});
  ASSERT_EQ(Positions(manager, "E"), (Ranked{{6, 0.5}, {5, 0.5}}));
  manager.SetAddToPredictionModel(false);
  EXPECT_EQ(RunOnce(5), S_OK);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{5, 6, 5}));
  // Predicted from the history (5): the model still counts 5 and 6 once each, and 6 followed 5.
  const Ranked positions = Positions(manager, "E");
  ASSERT_EQ(positions.size(), 2U);
  EXPECT_EQ(positions[0].first, 6);
  EXPECT_DOUBLE_EQ(positions[0].second, 5.0 / 6.0);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);

  manager.SetAddToPredictionModel(true);
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 5));  // 6 was the last learnt
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 6));
}

// --- Taking commands back ----------------------------------------------------------------------------

TEST_F(CommandEvents, TakesBackTheLastLearntCommandOnlyOnce) {
  RunCommands(manager, "E", {50, 100});
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 100));
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 100));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 50);
}

TEST_F(CommandEvents, TakesNothingBackForAnotherCommand) {
  RunCommands(manager, "E", {50, 100});
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 50));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 100);
}

TEST_F(CommandEvents, TakingBackLeavesTheListThePositionsAndTheLastLearntCommand) {
  RunCommands(manager, "E", {5, 7});
  const Ranked before = Positions(manager, "E");
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 7);
  EXPECT_EQ(LatestCommands(manager, u"E"), (std::vector<int>{5, 7}));
  EXPECT_EQ(Positions(manager, "E"), before);
  // 7 is still the last learnt command, so asking for it takes back the next one, 5, and fails.
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 7));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
}

TEST_F(CommandEvents, ZeroWhileNothingWasLearntStillTakesBackWhatTheModelHolds) {
  RunCommands(manager, "E", {100, 200});
  ASSERT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 200));
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 0));  // took 100 back
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 0));   // nothing left
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
}

TEST(CommandEventsBeforeInitialize, TakeNothingBack) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 0);
  EXPECT_FALSE(manager.RemoveLastTrainingSequenceCommand(u"E", 5));
  EXPECT_TRUE(manager.RemoveLastTrainingSequenceCommand(u"E", 0));
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(5, nullptr, u"E", 0, 0), S_FALSE);
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
}

// --- History length ----------------------------------------------------------------------------------

class CommandEventsHistory : public CommandEvents, public ::testing::WithParamInterface<int> {};

TEST_P(CommandEventsHistory, ALengthOfZeroOrLessPredictsFromAnEmptyHistory) {
  manager.SetNumCommandsUsedForPrediction(GetParam());
  RunCommands(manager, "E", {1, 2, 1});
  // From the history (1), 2 would come first: it followed 1.
  EXPECT_EQ(Commands(manager, u"E", 2), (std::vector<int>{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(ZeroAndBelow, CommandEventsHistory, ::testing::Values(0, -1));

TEST_F(CommandEvents, PredictsFromTheNewestCommandsAsTheOptionSays) {
  RunCommands(manager, "E", {1, 2, 1});
  EXPECT_EQ(Commands(manager, u"E", 2), (std::vector<int>{2, 1}));
}

// --- Environment names ---------------------------------------------------------------------------------

TEST_F(CommandEvents, AUtf8NameNamesTheSameEnvironmentAsItsWideForm) {
  EXPECT_EQ(RunOnce(5, "Mod\xc3\xa8le \xf0\x9f\x98\x80"), S_OK);
  const WString wide = u"Mod\u00e8le \U0001F600";
  EXPECT_EQ(LatestCommands(manager, wide), std::vector<int>{5});
  EXPECT_EQ(manager.RecordTrainingSequenceCommand(5, nullptr, wide, 0, 0), S_FALSE);
}

TEST_F(CommandEvents, KeepsAByteOrderMarkAsPartOfTheName) {
  RunOnce(5, u8"\uFEFFE");
  EXPECT_EQ(LatestCommands(manager, u"\uFEFFE"), std::vector<int>{5});
  EXPECT_TRUE(LatestCommands(manager, u"E").empty());
}

TEST_F(CommandEvents, TellsEnvironmentsApartByLetterCase) {
  RunOnce(5, "E");
  EXPECT_EQ(RunOnce(5, "e"), S_OK);
}

class CommandEventsInvalidName : public CommandEvents, public ::testing::WithParamInterface<const char*> {};

TEST_P(CommandEventsInvalidName, ThrowsBadConversionBeforeAnythingChanged) {
  RunOnce(5, "E");
  try {
    RunOnce(7, GetParam());
    FAIL() << "no exception";
  } catch (const std::range_error& error) {
    EXPECT_STREQ(error.what(), "bad conversion");
  }
  EXPECT_EQ(SavedUserList(), "5,0");  // 7 was never tested
  // E is still the current environment: asking for it does not refresh it.
  manager.LoadCommandsExcludedFromTraining(ListFile("training.txt", "5\n"));
  manager.GenerateInitialPredictions(u"E");
  EXPECT_EQ(Commands(manager, u"E", 1), std::vector<int>{5});
}

INSTANTIATE_TEST_SUITE_P(Utf8Faults, CommandEventsInvalidName,
                         ::testing::Values("E\xff", "\xc0\xaf", "\xed\xa0\x80", "\xe6\xa8",
                                           "\xf4\x90\x80\x80", "\x80"));

// --- LastCommandId -------------------------------------------------------------------------------------

struct IdListCase {
  std::list<DWORD> ids;
  DWORD expected;
};

void PrintTo(const IdListCase& listCase, std::ostream* out) {
  *out << "(";
  for (const DWORD id : listCase.ids) *out << " " << id;
  *out << " ) -> " << listCase.expected;
}

class LastCommandIdOfList : public ::testing::TestWithParam<IdListCase> {};

TEST_P(LastCommandIdOfList, SkipsPlaceholdersUnlessNothingElseIsLeft) {
  CPredictionCommandManager manager;
  manager.SetCommandIdList(u"list", GetParam().ids);
  EXPECT_EQ(manager.LastCommandId(u"list"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lists, LastCommandIdOfList,
                         ::testing::Values(IdListCase{{0, 45000, 12}, 12}, IdListCase{{45000}, 45000},
                                           IdListCase{{0}, 0}, IdListCase{{0, 45000}, 45000},
                                           IdListCase{{45000, 0}, 0}, IdListCase{{7, 12}, 7},
                                           IdListCase{{}, 0}));

TEST(LastCommandId, IsZeroForANameWithoutAList) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.LastCommandId(u"list"), 0U);
  manager.SetCommandIdList(u"list", {12});
  EXPECT_EQ(manager.LastCommandId(u"List"), 0U);
  EXPECT_EQ(manager.LastCommandId(_bstr_t()), 0U);
}

}  // namespace
}  // namespace cmdpredict
