#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "manager/manager_test_support.h"
#include "platform/env.h"

namespace cmdpredict {
namespace {

using ::testing::DoubleEq;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::Pair;
using Records = std::vector<PredictionCommandManagerPredictionData>;

// The saved model of "E" ranks 5, 7 and 9 with 0.5, 0.3 and 0.2.
class Predictions : public ManagerWithSavedModel {
 protected:
  Records Read(const char* environment) {
    Records records;
    EXPECT_TRUE(manager.GetPredictionCommandIDs(environment, records));
    return records;
  }
  // Learns 8, 5, 8, 5, 8, 5, 8 in E one position deep, then reads every flag: the model now
  // counts 5 eight times and 8 four times, and positions 1 and 2 are empty and read.
  void LearnEightWhileShowingOnlyTheTopPosition() {
    manager.SetNumCommandsUsedForPrediction(0);
    manager.SetNumberOfPredictionCommands(1);
    RunCommands(manager, "E", {8, 5, 8, 5, 8, 5, 8});
    TakeUpdatedFlags(manager, u"E", 3);
  }
};

TEST_F(Predictions, FirstRefreshFillsAFlaggedPositionPerPrediction) {
  EXPECT_THAT(Read("E"), ElementsAre(FieldsAre(5, DoubleEq(0.5), false), FieldsAre(7, DoubleEq(0.3), false),
                                     FieldsAre(9, DoubleEq(0.2), false)));
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E"));
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{true, true, true}));
}

TEST_F(Predictions, ReadingAnUpdatedPositionClearsItsFlagOnly) {
  Read("E");
  int command = -1;
  EXPECT_TRUE(manager.GetPredictionCommandIDIfUpdated(u"E", 0, command));
  EXPECT_EQ(command, 5);
  EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(u"E", 0, command));
  EXPECT_EQ(command, 0);
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", 0), 5);
  EXPECT_TRUE(manager.GetPredictionCommandIDIfUpdated(u"E", 1, command));
  EXPECT_EQ(command, 7);
}

TEST_F(Predictions, HandingOverTheListLeavesTheFlags) {
  Read("E");
  Read("E");
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{true, true, true}));
}

TEST_F(Predictions, ARefreshUpdatesPositionsInPlaceAndFlagsOnlyChangedCommands) {
  Read("E");
  LearnEightWhileShowingOnlyTheTopPosition();
  manager.SetNumberOfPredictionCommands(2);
  manager.UpdatePredictions(u"E");
  EXPECT_THAT(Read("E"), ElementsAre(FieldsAre(5, DoubleEq(8.0 / 17.0), false),
                                     FieldsAre(8, DoubleEq(4.0 / 17.0), false), FieldsAre(0, 0.0, false)));
  // Position 2 held 0 already and is flagged again.
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{false, true, true}));
}

TEST_F(Predictions, AListNeverGetsShorter) {
  Read("E");
  LearnEightWhileShowingOnlyTheTopPosition();
  EXPECT_EQ(Read("E").size(), 3U);
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 0, 0}));
}

TEST_F(Predictions, AppendsToTheHostsVectorEachTime) {
  Records records{{42, 1.0, true}};
  manager.GetPredictionCommandIDs("E", records);
  manager.GetPredictionCommandIDs("E", records);
  ASSERT_EQ(records.size(), 7U);
  EXPECT_THAT(records[0], FieldsAre(42, 1.0, true));
  EXPECT_THAT(records[4], FieldsAre(5, DoubleEq(0.5), false));
}

TEST_F(Predictions, AnswersZeroOutsideTheList) {
  Read("E");
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", -1), 0);
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", 3), 0);
  EXPECT_EQ(manager.GetPredictionCommandID(u"Never", 0), 0);
  int command = -1;
  EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(u"E", 3, command));
  EXPECT_EQ(command, 0);
  command = -1;
  EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(u"E", -1, command));
  EXPECT_EQ(command, 0);
  command = -1;
  EXPECT_FALSE(manager.GetPredictionCommandIDIfUpdated(u"Never", 0, command));
  EXPECT_EQ(command, 0);
}

TEST_F(Predictions, NewPredictionsAreAvailableOnlyAfterARefreshAndStaySo) {
  EXPECT_FALSE(manager.NewPredictionsAvailable(u"E"));
  Read("E");
  Read("E");
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E"));
  EXPECT_FALSE(manager.NewPredictionsAvailable(u"Never"));
  manager.SetNewPredictionsAvailable(u"Never");
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"Never"));
  EXPECT_EQ(manager.GetPredictionCommandID(u"Never", 0), 0);
}

TEST_F(Predictions, AnEnvironmentUsedForTheFirstTimeIsPredictedFromItsLatestCommands) {
  manager.AddCommandToCommandsUsedForPrediction(u"E", 5);
  // After 5 came 7 three times and 9 twice: (0.5 + 2 x 0.6, 0.3 + 2 x 0.4, 0.2) over 3.
  EXPECT_THAT(Read("E"),
              ElementsAre(FieldsAre(7, DoubleEq(1.5 / 3.0), false), FieldsAre(9, DoubleEq(1.0 / 3.0), false),
                          FieldsAre(5, DoubleEq(0.5 / 3.0), false)));
}

TEST_F(Predictions, AskingForTheCurrentEnvironmentChangesNothing) {
  Read("E");
  TakeUpdatedFlags(manager, u"E", 3);
  manager.SetNumberOfPredictionCommands(1);
  manager.GenerateInitialPredictions(u"E");
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 7, 9}));
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{false, false, false}));
}

TEST_F(Predictions, AskingForAnotherEnvironmentRefreshesIt) {
  Read("E");
  manager.GenerateInitialPredictions(u"Other");
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"Other"));
  manager.SetNumberOfPredictionCommands(1);
  manager.GenerateInitialPredictions(u"E");
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 0, 0}));
}

TEST_F(Predictions, ACountOfZeroOrLessGivesEveryPredictionAPosition) {
  manager.SetNumberOfPredictionCommands(2);
  manager.GenerateInitialPredictions(u"E");
  EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 7, 0}));
  for (const int count : {0, -1}) {
    manager.SetNumberOfPredictionCommands(count);
    manager.UpdatePredictions(u"E");
    EXPECT_EQ(Commands(manager, u"E", 3), (std::vector<int>{5, 7, 9}));
  }
}

TEST_F(Predictions, ExcludedCommandsNeverTakeAPosition) {
  const std::string list = folder.File("excluded.txt");
  ASSERT_TRUE(SystemEnv().ReplaceFile(list, "5\n"));
  manager.LoadCommandsExcludedFromTraining(Utf8ToWide(list));
  EXPECT_THAT(Read("E"), ElementsAre(FieldsAre(7, DoubleEq(0.3), false), FieldsAre(9, DoubleEq(0.2), false)));
  manager.SetNumberOfPredictionCommands(1);
  manager.UpdatePredictions(u"E");
  EXPECT_EQ(Commands(manager, u"E", 2), (std::vector<int>{7, 9}));  // chosen from the best 3
}

TEST_F(Predictions, ACopySharesThePositionsAndTheirFlags) {
  Read("E");
  TakeUpdatedFlags(manager, u"E", 3);
  CPredictionCommandManager copy(manager);
  manager.SetNumberOfPredictionCommands(1);
  manager.UpdatePredictions(u"E");
  EXPECT_EQ(Commands(copy, u"E", 3), (std::vector<int>{5, 0, 0}));
  EXPECT_EQ(TakeUpdatedFlags(copy, u"E", 3), (std::vector<bool>{false, true, true}));
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{false, false, false}));
}

// A manager that keeps its models in memory.
class PredictionsInMemory : public InMemoryManager {};

TEST_F(PredictionsInMemory, AnEnvironmentWithoutPredictionsGetsAnEmptyList) {
  manager.UpdatePredictions(u"E");
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E"));
  EXPECT_TRUE(Positions(manager, "E").empty());
}

TEST_F(PredictionsInMemory, PositionsAreEmptiedWhenTheModelPredictsNothing) {
  RunCommands(manager, "E", {5});
  TakeUpdatedFlags(manager, u"E", 1);
  manager.RemoveTrainingSequenceCommand(u"E");
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E", 5);
  EXPECT_EQ(Positions(manager, "E"), (std::vector<std::pair<LONG, double>>{{0, 0.0}}));
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 1), std::vector<bool>{true});
}

TEST(PredictionsBeforeInitialize, HandOverNothingAndRefreshNothing) {
  CPredictionCommandManager manager;
  Records records;
  EXPECT_TRUE(manager.GetPredictionCommandIDs("E", records));
  EXPECT_TRUE(records.empty());
  manager.UpdatePredictions(u"E");
  manager.GenerateInitialPredictions(u"E");
  EXPECT_FALSE(manager.NewPredictionsAvailable(u"E"));
}

TEST_F(PredictionsInMemory, GetPredictionCommandIDsThrowsForInvalidUtf8AndAppendsNothing) {
  Records records;
  EXPECT_THROW(manager.GetPredictionCommandIDs("E\xff", records), std::range_error);
  EXPECT_TRUE(records.empty());
}

}  // namespace
}  // namespace cmdpredict
