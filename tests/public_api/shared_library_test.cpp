// Uses the manager as a host does: through the public headers and the shared library alone, so
// that everything a host needs is exported and works across the library boundary.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "cmdpredict/platform_types.h"
#include "cmdpredict/prediction_command_manager.h"
#include "cmdpredict/prediction_records.h"

namespace {

using Records = std::vector<PredictionCommandManagerPredictionData>;

class SharedLibraryHost : public ::testing::Test {
 protected:
  SharedLibraryHost() { EXPECT_EQ(manager->Initialize(u"", nullptr, 1, 10), S_OK); }

  std::unique_ptr<CPredictionCommandManager> manager = std::make_unique<CPredictionCommandManager>();
};

TEST_F(SharedLibraryHost, LearnsACommandAndHandsOverItsPrediction) {
  EXPECT_EQ(manager->BeforeCommandRun(100, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(manager->BeforeCommandRun(100, nullptr, "E1", 0, 0), S_FALSE);
  Records records;
  EXPECT_TRUE(manager->GetPredictionCommandIDs("E1", records));
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].commandId, 100);
  EXPECT_EQ(records[0].probability, 1.0);
  EXPECT_FALSE(records[0].flag);
}

TEST_F(SharedLibraryHost, ReadsPositionsAndTheirFlags) {
  manager->BeforeCommandRun(5, nullptr, "E1", 0, 0);
  int command = 0;
  EXPECT_TRUE(manager->GetPredictionCommandIDIfUpdated(u"E1", 0, command));
  EXPECT_EQ(command, 5);
  EXPECT_EQ(manager->GetPredictionCommandID(u"E1", 0), 5);
  EXPECT_TRUE(manager->NewPredictionsAvailable(u"E1"));
}

TEST_F(SharedLibraryHost, ACopyWorksOnAfterTheOriginalIsDestroyed) {
  manager->BeforeCommandRun(5, nullptr, "E1", 0, 0);
  CPredictionCommandManager copy(*manager);
  manager.reset();
  EXPECT_EQ(copy.BeforeCommandRun(7, nullptr, "E1", 0, 0), S_OK);
  Records records;
  copy.GetPredictionCommandIDs("E1", records);
  ASSERT_EQ(records.size(), 2U);
  EXPECT_EQ(copy.RemoveTrainingSequenceCommand(u"E1"), 7);
  EXPECT_EQ(copy.RemoveTrainingSequenceCommand(u"E1"), 5);
}

TEST_F(SharedLibraryHost, AnAssignedManagerSharesTheModel) {
  CPredictionCommandManager other;
  other = *manager;
  other.BeforeCommandRun(9, nullptr, "E1", 0, 0);
  EXPECT_EQ(manager->RemoveTrainingSequenceCommand(u"E1"), 9);
}

TEST_F(SharedLibraryHost, InvalidUtf8ThrowsTheStandardRangeError) {
  try {
    manager->BeforeCommandRun(5, nullptr, "E\xff", 0, 0);
    FAIL() << "no exception";
  } catch (const std::range_error& error) {
    EXPECT_STREQ(error.what(), "bad conversion");
  }
}

TEST_F(SharedLibraryHost, KeepsTheOptionsTheHostSets) {
  EXPECT_EQ(manager->SetNumCommandsUsedForPrediction(25), 10);
  manager->SetNumberOfPredictionCommands(3);
  EXPECT_EQ(manager->GetNumberOfPredictionCommands(), 3);
  EXPECT_EQ(manager->BeforeQuit(), S_OK);
}

}  // namespace
