// Uses the manager as a host does: through the public headers and the shared library alone, so
// that everything a host needs is exported and works across the library boundary.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"

namespace {

TEST(SharedLibraryHost, LearnsPredictsCopiesAndDestroysAcrossTheLibraryBoundary) {
  auto manager = std::make_unique<CPredictionCommandManager>();
  EXPECT_EQ(manager->Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10), S_OK);
  EXPECT_EQ(manager->BeforeCommandRun(100, nullptr, "E1", 0, 0), S_OK);
  std::vector<PredictionCommandManagerPredictionData> records;
  EXPECT_TRUE(manager->GetPredictionCommandIDs("E1", records));
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].commandId, 100);
  CPredictionCommandManager copy(*manager);
  CPredictionCommandManager assigned;
  assigned = *manager;
  manager.reset();
  EXPECT_EQ(copy.BeforeCommandRun(7, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(assigned.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E1")), 7);
}

}  // namespace
