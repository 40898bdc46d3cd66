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

using Paths = std::vector<std::string>;

class AppDataFolders : public ::testing::Test {
 protected:
  LONG Initialize(const std::string& appDataFolder) {
    return manager.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(appDataFolder).c_str(), 1, 10);
  }
  const std::string sep{kPathSeparator};
  TempFolder folder;
  // Data/ below a folder that does not exist yet.
  const std::string missing = folder.File("missing") + sep + "Data" + sep;
  RecordingEnv env;
  ScopedEnv scoped{env};
  CPredictionCommandManager manager;
};

// No separator is put between them: the host ends the folder with one to nest the model folder.
TEST_F(AppDataFolders, NameTheModelFolderAsTheFolderFollowedByModelPrediction) {
  Initialize(folder.File("Data"));
  WString name = CMDPREDICT_WIDE("ModelPrediction");
  EXPECT_TRUE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(WideToUtf8Path(name), folder.File("Data") + "ModelPrediction");
}

// Named again by the host, the model folder is not created again.
TEST_F(AppDataFolders, AreCreatedOnceWithTheirMissingParents) {
  ASSERT_EQ(Initialize(missing), S_OK);
  WString name = CMDPREDICT_WIDE("ModelPrediction");
  manager.CreateAppDataSubFolder(name);
  EXPECT_EQ(env.PathsOf("CreateFolder"),
            (Paths{folder.File("missing"), missing, missing + "ModelPrediction"}));
}

class FoldersWithoutParent : public AppDataFolders {
 protected:
  FoldersWithoutParent() {
    env.failingFolders.insert(folder.File("missing"));
    Initialize(missing);
    env.calls.clear();
  }
  WString name = CMDPREDICT_WIDE("ModelPrediction");
};

TEST_F(FoldersWithoutParent, AreCreatedOneLevelOnlyByTheHostsCalls) {
  EXPECT_FALSE(manager.CreateAppDataFolder());
  EXPECT_FALSE(manager.CreateAppDataSubFolder(name));
  EXPECT_EQ(env.PathsOf("CreateFolder"), (Paths{missing, missing}));
}

TEST_F(FoldersWithoutParent, LeaveTheSubFolderNameAsItWas) {
  manager.CreateAppDataSubFolder(name);
  EXPECT_EQ(name, CMDPREDICT_WIDE("ModelPrediction"));
}

// A model folder that cannot be created.
class UnusableModelFolder : public AppDataFolders {
 protected:
  UnusableModelFolder() {
    env.failingFolders.insert(data + "ModelPrediction");
    env.injectedErrorText = "Permission denied";
  }
  const std::string data = folder.File("Data") + sep;
  const DiagnosticLog log{manager};
};

TEST_F(UnusableModelFolder, IsReportedToTheHost) {
  EXPECT_EQ(Initialize(data), S_FALSE);
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kFolderNotCreated, WString(),
                                                 data + "ModelPrediction", "Permission denied"}}));
}

// Nothing is read or written, relative to the current folder or anywhere else.
TEST_F(UnusableModelFolder, LeavesTheModelsInMemory) {
  Initialize(data);
  env.calls.clear();
  EXPECT_EQ(manager.BeforeCommandRun(5, nullptr, "E1", 0, 0), S_OK);
  EXPECT_EQ(manager.BeforeQuit(), S_OK);  // nothing was to be written
  EXPECT_TRUE(env.calls.empty());
}

TEST_F(AppDataFolders, ThatAreFilesAreReported) {
  const std::string data = folder.File("Data") + sep, models = folder.File("Models") + sep;
  ASSERT_TRUE(env.ReplaceFile(folder.File("Data"), "a file"));
  ASSERT_TRUE(env.CreateFolder(models) && env.ReplaceFile(models + "ModelPrediction", "a file"));
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"the data folder", data, data}, {"the model folder", models, models + "ModelPrediction"}};
  for (const auto& [name, given, reported] : cases) {
    SCOPED_TRACE(name);
    CPredictionCommandManager host;
    const DiagnosticLog log(host);
    EXPECT_EQ(host.Initialize(CMDPREDICT_WIDE(""), Utf8ToWide(given).c_str(), 1, 10), S_FALSE);
    EXPECT_EQ(log.Seen(), (KindsAndPaths{{DiagnosticKind::kFolderNotCreated, reported}}));
  }
}

}  // namespace
}  // namespace cmdpredict
