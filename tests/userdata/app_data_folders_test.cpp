#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "testing/recording_env.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

class AppDataFolders : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder.Path() + kPathSeparator + name; }
  bool Exists(const std::string& path) const { return SystemEnv().Access(path) == 0; }
  // Initialises the manager with the application-data folder at the path (kept in memory before).
  void InitializeWith(const std::string& appDataFolder) {
    const WString wide = Utf8ToWide(appDataFolder);
    ASSERT_EQ(manager.Initialize(u"", wide.c_str(), 1, 10), S_OK);
  }
  // Where the manager keeps the model of an environment: learn there and save.
  void SaveAModelOf(const char* environment) {
    manager.BeforeCommandRun(5, nullptr, environment, 0, 0);
    manager.SavePredictionModels();
  }

  TempFolder folder;
  RecordingEnv env;
  ScopedEnv scoped{env};
  CPredictionCommandManager manager;
};

TEST_F(AppDataFolders, InitializeCreatesTheFolderAndTheModelFolderInsideIt) {
  InitializeWith(PathOf("Data") + kPathSeparator);
  EXPECT_EQ(env.PathsOf("CreateFolder"),
            (std::vector<std::string>{PathOf("Data") + kPathSeparator,
                                      PathOf("Data") + kPathSeparator + "ModelPrediction"}));
  SaveAModelOf("E1");
  EXPECT_TRUE(
      Exists(PathOf("Data") + kPathSeparator + "ModelPrediction" + kPathSeparator + "E1.ContextTree"));
}

TEST_F(AppDataFolders, WithoutATrailingSeparatorTheModelFolderIsASibling) {
  InitializeWith(PathOf("Data"));
  EXPECT_TRUE(Exists(PathOf("Data")));
  EXPECT_TRUE(Exists(PathOf("DataModelPrediction")));
  SaveAModelOf("E1");
  EXPECT_TRUE(Exists(PathOf("DataModelPrediction") + kPathSeparator + "E1.ContextTree"));
}

TEST_F(AppDataFolders, CreatesFoldersWithNamesOutsideAscii) {
  const std::string data = PathOf(u8"Donn\u00e9es \u6a21");
  InitializeWith(data + kPathSeparator);
  EXPECT_TRUE(Exists(data + kPathSeparator + "ModelPrediction"));
}

TEST_F(AppDataFolders, UsesFoldersThatExistAlready) {
  InitializeWith(PathOf("Data") + kPathSeparator);
  env.calls.clear();
  EXPECT_TRUE(manager.CreateAppDataFolder());
  WString name = u"ModelPrediction";
  EXPECT_TRUE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(WideToUtf8Path(name), PathOf("Data") + kPathSeparator + "ModelPrediction");
  EXPECT_TRUE(env.PathsOf("CreateFolder").empty());
}

TEST_F(AppDataFolders, CreatesASubFolderOnceAndNamesItBothTimes) {
  InitializeWith(PathOf("Data") + kPathSeparator);
  env.calls.clear();
  WString first = u"Sub";
  WString second = u"Sub";
  EXPECT_TRUE(manager.CreateAppDataSubFolder(first));
  EXPECT_TRUE(manager.CreateAppDataSubFolder(second));
  EXPECT_EQ(WideToUtf8Path(first), PathOf("Data") + kPathSeparator + "Sub");
  EXPECT_EQ(second, first);
  EXPECT_EQ(env.PathsOf("CreateFolder"), std::vector<std::string>{WideToUtf8Path(first)});
}

TEST_F(AppDataFolders, FailWhenTheParentIsMissing) {
  const std::string missing = PathOf("missing") + kPathSeparator + "Data" + kPathSeparator;
  InitializeWith(missing);
  EXPECT_FALSE(manager.CreateAppDataFolder());
  WString name = u"Sub";
  EXPECT_FALSE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(name, u"Sub");
  EXPECT_FALSE(Exists(PathOf("missing")));
}

TEST_F(AppDataFolders, ModelsFallBackToAFolderNamedModelPredictionBesideTheCurrentOne) {
  InitializeWith(PathOf("missing") + kPathSeparator + "Data" + kPathSeparator);
  env.calls.clear();
  manager.BeforeCommandRun(5, nullptr, "E1", 0, 0);
  const std::string relative = std::string("ModelPrediction") + kPathSeparator + "E1.ContextTree";
  EXPECT_EQ(env.PathsOf("Access"), std::vector<std::string>{relative});
}

TEST_F(AppDataFolders, FailWithoutAFolder) {
  WString name = u"Sub";
  EXPECT_FALSE(manager.CreateAppDataFolder());
  EXPECT_FALSE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(name, u"Sub");
  manager.Initialize(u"", nullptr, 1, 10);
  EXPECT_FALSE(manager.CreateAppDataFolder());
}

TEST_F(AppDataFolders, InitializeWithoutAFolderCreatesNone) {
  manager.Initialize(u"", nullptr, 1, 10);
  EXPECT_TRUE(env.calls.empty());
}

}  // namespace
}  // namespace cmdpredict
