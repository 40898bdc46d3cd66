#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/diagnostic_log.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

class AppDataFolders : public ::testing::Test {
 protected:
  const std::string sep{kPathSeparator};
  TempFolder folder;
  RecordingEnv env;
  ScopedEnv scoped{env};
};

// Given with a trailing separator, the application data folder holds the model folder; without, the
// model folder is its sibling. Initialize creates the folder's missing parents too, each folder once.
TEST_F(AppDataFolders, HoldTheModelFolderAndAreCreatedOnceWithMissingParents) {
  const std::string data = folder.File(u8"Donn\u00e9es") + sep, plain = folder.File("Data");
  const std::string missing = folder.File("missing") + sep + "Data" + sep;
  // (folder given, the folders the system is asked to create, the model folder)
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {data, {data, data + "ModelPrediction"}, data + "ModelPrediction"},
      {plain, {plain, plain + "ModelPrediction"}, plain + "ModelPrediction"},
      {missing, {folder.File("missing"), missing, missing + "ModelPrediction"}, missing + "ModelPrediction"}};
  for (const auto& [given, created, models] : cases) {
    SCOPED_TRACE(given);
    CPredictionCommandManager manager;
    ASSERT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(given).c_str(), 1, 10), S_OK);
    WString name = CMDPREDICT_WIDE("ModelPrediction");  // made by Initialize already: named again, not created again
    EXPECT_TRUE(manager.CreateAppDataSubFolder(name));
    EXPECT_EQ(WideToUtf8Path(name), models);
    EXPECT_EQ(env.PathsOf("CreateFolder"), created);  // since the last case's load, which creates none
    env.calls.clear();
    manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);  // loads the model of E1
    EXPECT_EQ(env.PathsOf("Access"), std::vector<std::string>{models + sep + "E1.ContextTree"});
  }
}

// The host's own calls create one level only and keep the name they were given when that fails.
TEST_F(AppDataFolders, CreatedByTheHostOneLevelOnly) {
  const std::string missing = folder.File("missing") + sep + "Data" + sep;
  env.failingFolders.insert(folder.File("missing"));
  CPredictionCommandManager manager;
  manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(missing).c_str(), 1, 10);
  env.calls.clear();
  EXPECT_FALSE(manager.CreateAppDataFolder());
  WString name = CMDPREDICT_WIDE("ModelPrediction");
  EXPECT_FALSE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(name, CMDPREDICT_WIDE("ModelPrediction"));
  EXPECT_EQ(env.PathsOf("CreateFolder"), (std::vector<std::string>{missing, missing}));
}

// A folder that cannot be created leaves the models in memory only: nothing is read or written,
// relative to the current folder or anywhere else, and the host is told.
TEST_F(AppDataFolders, ThatCannotBeCreatedKeepTheModelsInMemoryAndAreReported) {
  const std::string data = folder.File("Data") + sep;
  env.failingFolders.insert(data + "ModelPrediction");
  env.injectedErrorText = "Permission denied";
  CPredictionCommandManager manager;
  const DiagnosticLog log(manager);
  EXPECT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(data).c_str(), 1, 10), S_FALSE);
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kFolderNotCreated, WString(),
                                                 data + "ModelPrediction", "Permission denied"}}));
  env.calls.clear();
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(manager.BeforeQuit(), S_OK);  // nothing was to be written
  EXPECT_TRUE(env.calls.empty());
}

// A file standing where the application data folder or the model folder must be makes Initialize
// report that folder.
TEST_F(AppDataFolders, ThatAreFilesAreReported) {
  const std::string data = folder.File("Data") + sep, models = folder.File("Models") + sep;
  ASSERT_TRUE(env.ReplaceFile(folder.File("Data"), "a file"));
  ASSERT_TRUE(env.CreateFolder(models) && env.ReplaceFile(models + "ModelPrediction", "a file"));
  // (folder given, the folder reported)
  const std::tuple<std::string, std::string> cases[] = {{data, data}, {models, models + "ModelPrediction"}};
  for (const auto& [given, reported] : cases) {
    SCOPED_TRACE(given);
    CPredictionCommandManager manager;
    const DiagnosticLog log(manager);
    EXPECT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(given).c_str(), 1, 10), S_FALSE);
    EXPECT_EQ(log.Seen(), (KindsAndPaths{{DiagnosticKind::kFolderNotCreated, reported}}));
  }
}

}  // namespace
}  // namespace cmdpredict
