#include <gtest/gtest.h>

#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "manager/manager_test_support.h"

namespace cmdpredict {
namespace {

using CommandList = std::vector<int>;

// The lists of latest commands need no model: a manager that was never initialised keeps them.
class LatestCommandLists : public ::testing::Test {
 protected:
  std::vector<bool> Add(const WString& environment, const std::vector<LONG>& commands) {
    std::vector<bool> results;
    for (const LONG command : commands)
      results.push_back(manager.AddCommandToCommandsUsedForPrediction(environment, command));
    return results;
  }
  CommandList Newest(const WString& environment, int count) const {
    CommandList commands;
    manager.GetCommandsToUseForPrediction(environment, count, commands);
    return commands;
  }

  CPredictionCommandManager manager;
};

TEST_F(LatestCommandLists, DropTheOldestCommandBeyondTheMaximum) {
  manager.SetMaxNumCommandsUsedForPrediction(3);
  EXPECT_EQ(Add(u"E", {1, 2, 3, 4}), (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{2, 3, 4}));
}

TEST_F(LatestCommandLists, RefuseARepeatOfTheLastCommandOnly) {
  EXPECT_EQ(Add(u"E", {5, 5}), (std::vector<bool>{true, false}));
  EXPECT_EQ(Add(u"E", {1, 2, 1}), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{5, 1, 2, 1}));
}

TEST_F(LatestCommandLists, KeepEachEnvironmentApart) {
  Add(u"E", {5});
  EXPECT_EQ(Add(u"e", {5}), std::vector<bool>{true});
  EXPECT_EQ(LatestCommands(manager, u"E"), CommandList{5});
  EXPECT_EQ(LatestCommands(manager, u"e"), CommandList{5});
}

TEST_F(LatestCommandLists, HandOverTheNewestCommandsOldestFirst) {
  Add(u"E", {2, 3, 4});
  EXPECT_EQ(Newest(u"E", 2), (CommandList{3, 4}));
  EXPECT_EQ(Newest(u"E", 3), (CommandList{2, 3, 4}));
  EXPECT_EQ(Newest(u"E", 5), (CommandList{2, 3, 4}));
  EXPECT_TRUE(Newest(u"E", 0).empty());
  EXPECT_TRUE(Newest(u"E", -1).empty());
  EXPECT_TRUE(Newest(u"Never", 5).empty());
}

TEST_F(LatestCommandLists, AppendToTheCallersVector) {
  Add(u"E", {2, 3, 4});
  CommandList commands{9};
  manager.GetCommandsToUseForPrediction(u"E", 2, commands);
  EXPECT_EQ(commands, (CommandList{9, 3, 4}));
}

TEST_F(LatestCommandLists, KeepOnlyTheNewestCommandWithAMaximumOfZero) {
  manager.SetMaxNumCommandsUsedForPrediction(0);
  Add(u"E", {1, 2, 3});
  EXPECT_EQ(LatestCommands(manager, u"E"), CommandList{3});
}

TEST_F(LatestCommandLists, GrowWithoutLimitWithANegativeMaximum) {
  manager.SetMaxNumCommandsUsedForPrediction(-1);
  Add(u"E", {1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2});
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(u"E"), 12U);
}

TEST_F(LatestCommandLists, KeepTheirLengthAfterTheMaximumIsLowered) {
  Add(u"E", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  manager.SetMaxNumCommandsUsedForPrediction(5);
  Add(u"E", {11, 12});
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(LatestCommandLists, CountNothingForAnEnvironmentNeverUsed) {
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(u"Never"), 0U);
  Add(u"E", {1, 2});
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(u"E"), 2U);
}

TEST_F(LatestCommandLists, AreNotChangedByARemovalBeforeInitialize) {
  Add(u"E", {3, 1});
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E", 3));
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{3, 1}));
}

// --- Removal --------------------------------------------------------------------------------------------

class LatestCommandRemoval : public InMemoryManager {
 protected:
  LatestCommandRemoval() {
    manager.AddCommandToCommandsUsedForPrediction(u"E1", 3);
    manager.AddCommandToCommandsUsedForPrediction(u"E1", 1);
    manager.AddCommandToCommandsUsedForPrediction(u"E1", 3);
    manager.AddCommandToCommandsUsedForPrediction(u"E2", 3);
  }
};

TEST_F(LatestCommandRemoval, TakesTheFirstOccurrenceOutOfEveryList) {
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E1", 3));
  EXPECT_EQ(LatestCommands(manager, u"E1"), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, u"E2").empty());
  EXPECT_EQ(manager.GetNumberOfCommandsAvailableForPrediction(u"E2"), 0U);
}

TEST_F(LatestCommandRemoval, AnswersWhetherTheNamedEnvironmentHeldTheCommand) {
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E3", 3));
  EXPECT_EQ(LatestCommands(manager, u"E1"), (CommandList{1, 3}));
  EXPECT_TRUE(LatestCommands(manager, u"E2").empty());
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E2", 1));
  EXPECT_EQ(LatestCommands(manager, u"E1"), CommandList{3});
  EXPECT_FALSE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E1", 7));
}

TEST_F(LatestCommandRemoval, LeavesEqualNeighboursWhereItTookACommandOut) {
  manager.AddCommandToCommandsUsedForPrediction(u"E1", 1);  // E1 = 3, 1, 3, 1
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E1", 1);
  EXPECT_EQ(LatestCommands(manager, u"E1"), (CommandList{3, 3, 1}));
  EXPECT_TRUE(manager.AddCommandToCommandsUsedForPrediction(u"E1", 3));
}

TEST_F(LatestCommandRemoval, AnEmptiedListAcceptsTheNextCommandAsAMissingOneDoes) {
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E2", 3);
  EXPECT_TRUE(manager.AddCommandToCommandsUsedForPrediction(u"E2", 3));
  EXPECT_EQ(LatestCommands(manager, u"E2"), CommandList{3});
}

TEST_F(LatestCommandRemoval, AnEmptiedListLearnsAgain) {
  RunCommands(manager, "E", {5});
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E", 5);
  EXPECT_EQ(RunCommands(manager, "E", {7, 5}), (std::vector<LONG>{S_OK, S_OK}));
  EXPECT_EQ(LatestCommands(manager, u"E"), (CommandList{7, 5}));
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 5);
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 7);
}

TEST_F(LatestCommandRemoval, RefreshesTheNamedEnvironmentFromItsNewHistory) {
  RunCommands(manager, "E", {1, 2, 1, 3});
  // From (3), which nothing followed: the single-command counts 1: 2, 2: 1, 3: 1.
  ASSERT_EQ(Commands(manager, u"E", 3), (CommandList{1, 3, 2}));
  TakeUpdatedFlags(manager, u"E", 3);
  EXPECT_TRUE(manager.RemoveCommandFromCommandsUsedForPrediction(u"E", 3));
  // From (1), followed once by 2 and once by 3: 3 and 2 tie above 1.
  EXPECT_EQ(Commands(manager, u"E", 3), (CommandList{3, 2, 1}));
  EXPECT_EQ(TakeUpdatedFlags(manager, u"E", 3), (std::vector<bool>{true, true, true}));
}

TEST_F(LatestCommandRemoval, RefreshesTheNamedEnvironmentEvenWhenNothingWasRemoved) {
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E3", 3);
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E3"));
}

// A model folder with a model for "E": a removal does not load it.
class LatestCommandRemovalWithSavedModel : public ManagerWithSavedModel {};

TEST_F(LatestCommandRemovalWithSavedModel, DoesNotLoadTheModelOfTheEnvironment) {
  manager.AddCommandToCommandsUsedForPrediction(u"E", 5);
  manager.RemoveCommandFromCommandsUsedForPrediction(u"E", 5);
  EXPECT_TRUE(manager.NewPredictionsAvailable(u"E"));
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", 0), 0);
  // The next command loads it.
  RunCommands(manager, "E", {7});
  EXPECT_EQ(manager.GetPredictionCommandID(u"E", 0), 5);
}

}  // namespace
}  // namespace cmdpredict
