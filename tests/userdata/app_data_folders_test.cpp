#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "platform/unicode.h"
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
// model folder is its sibling. Each is created once, one level only: when the parent is missing,
// both fail, and models are then read and written relative to the current folder.
TEST_F(AppDataFolders, HoldTheModelFolderAndAreCreatedOnceOneLevelOnly) {
  const std::string data = folder.File(u8"Donn\u00e9es") + sep, plain = folder.File("Data");
  const std::string missing = folder.File("missing") + sep + "Data" + sep;
  // (folder given, whether the folders can be made, the folders the system is asked to create, the model
  // folder)
  const std::tuple<std::string, bool, std::vector<std::string>, std::string> cases[] = {
      {data, true, {data, data + "ModelPrediction"}, data + "ModelPrediction"},
      {plain, true, {plain, plain + "ModelPrediction"}, plain + "ModelPrediction"},
      {missing, false, {missing, missing, missing}, "ModelPrediction"}};
  for (const auto& [given, made, created, models] : cases) {
    CPredictionCommandManager manager;
    ASSERT_EQ(manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(given).c_str(), 1, 10), S_OK);
    WString name = CMDPREDICT_WIDE("ModelPrediction");  // made by Initialize already: named again, not created again
    EXPECT_EQ(manager.CreateAppDataSubFolder(name), made) << given;
    EXPECT_EQ(WideToUtf8Path(name), models);
    EXPECT_EQ(env.PathsOf("CreateFolder"), created);  // since the last case's load, which creates none
    env.calls.clear();
    manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);  // loads the model of E1
    EXPECT_EQ(env.PathsOf("Access"), std::vector<std::string>{models + sep + "E1.ContextTree"});
  }
}

}  // namespace
}  // namespace cmdpredict
