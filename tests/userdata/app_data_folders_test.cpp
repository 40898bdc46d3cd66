#include <gtest/gtest.h>

#include <string>
#include <utility>
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
  std::string PathOf(const std::string& name) const { return folder.Path() + sep + name; }

  const std::string sep{kPathSeparator};
  TempFolder folder;
  RecordingEnv env;
  ScopedEnv scoped{env};
};

TEST_F(AppDataFolders, HoldTheModelFolderWhenGivenWithATrailingSeparatorAndAreCreatedOnce) {
  const std::string data = PathOf(u8"Donn\u00e9es");
  for (const auto& [given, models] : {std::pair{data + sep, data + sep + "ModelPrediction"},
                                      std::pair{PathOf("Data"), PathOf("DataModelPrediction")}}) {
    CPredictionCommandManager manager;
    env.calls.clear();
    ASSERT_EQ(manager.Initialize(u"", Utf8ToWide(given).c_str(), 1, 10), S_OK);
    WString name = u"ModelPrediction";  // created by Initialize: named again, not created again
    EXPECT_TRUE(manager.CreateAppDataSubFolder(name));
    EXPECT_EQ(WideToUtf8Path(name), models);
    EXPECT_EQ(env.PathsOf("CreateFolder"), (std::vector<std::string>{given, models}));
    manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
    manager.SavePredictionModels();
    EXPECT_EQ(SystemEnv().Access(models + sep + "E1.ContextTree"), 0) << models;
  }
}

TEST_F(AppDataFolders, FailWhenTheParentIsMissingAndModelsThenUseARelativeFolder) {
  CPredictionCommandManager manager;
  ASSERT_EQ(manager.Initialize(u"", Utf8ToWide(PathOf("missing") + sep + "Data" + sep).c_str(), 1, 10), S_OK);
  WString name = u"Sub";
  EXPECT_FALSE(manager.CreateAppDataFolder());
  EXPECT_FALSE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(name, u"Sub");
  EXPECT_NE(SystemEnv().Access(PathOf("missing")), 0);
  env.calls.clear();
  manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
  EXPECT_EQ(env.PathsOf("Access"), std::vector<std::string>{"ModelPrediction" + sep + "E1.ContextTree"});
}

}  // namespace
}  // namespace cmdpredict
