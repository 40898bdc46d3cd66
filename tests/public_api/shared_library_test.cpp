// Uses the manager as a host does: through the public headers and the shared library alone, so
// that everything a host needs is exported and works across the library boundary.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"

namespace {

// A host's manager without a model folder that has learnt 100 in E1.
class SharedLibraryHost : public ::testing::Test {
 protected:
  SharedLibraryHost() {
    manager->Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10);
    manager->BeforeCommandRun(100, nullptr, "E1", 0, 0);
  }
  std::unique_ptr<CPredictionCommandManager> manager = std::make_unique<CPredictionCommandManager>();
};

TEST_F(SharedLibraryHost, ReadsThePredictionsLearnt) {
  std::vector<PredictionCommandManagerPredictionData> records;
  EXPECT_TRUE(manager->GetPredictionCommandIDs("E1", records));
  ASSERT_EQ(records.size(), 1U);
  EXPECT_EQ(records[0].commandId, 100);
}

TEST_F(SharedLibraryHost, KeepsCopiesWorkingAfterTheOriginalIsDestroyed) {
  CPredictionCommandManager copy(*manager);
  CPredictionCommandManager assigned;
  assigned = *manager;
  manager.reset();
  EXPECT_EQ(copy.BeforeCommandRun(7, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(assigned.RemoveTrainingSequenceCommand(CMDPREDICT_WIDE("E1")), 7);
}

// A folder stands where the model file of E1 goes.
TEST(SharedLibraryHostFailures, SeesAFailedSaveAcrossTheLibraryBoundary) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("cmdpredict-host-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder / "ModelPrediction" / "E1.ContextTree");
  std::vector<cmdpredict::Diagnostic> diagnostics;
  CPredictionCommandManager manager;
  manager.SetDiagnosticHandler([&diagnostics](const cmdpredict::Diagnostic& d) { diagnostics.push_back(d); });
  const std::string app = folder.string() + "/";  // ASCII: each byte is one UTF-16 unit
  EXPECT_EQ(
      manager.Initialize(CMDPREDICT_WIDE(""), cmdpredict::WString(app.begin(), app.end()).c_str(), 1, 10),
      S_OK);
  EXPECT_EQ(manager.BeforeCommandRun(100, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(manager.BeforeQuit(), E_FAIL);
  ASSERT_FALSE(diagnostics.empty());
  EXPECT_EQ(diagnostics.back().kind, cmdpredict::DiagnosticKind::kModelNotSaved);
  EXPECT_EQ(diagnostics.back().environment, CMDPREDICT_WIDE("E1"));
  fs::remove_all(folder);
}

}  // namespace
