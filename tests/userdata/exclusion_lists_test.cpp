#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "testing/forwarding_env.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using ::testing::Contains;
using ::testing::Not;

// Records every replaced file and fails the write when told to.
class ReplaceRecordingEnv : public ForwardingEnv {
 public:
  explicit ReplaceRecordingEnv(bool failReplace) : m_failReplace(failReplace) {}
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    m_replaced.push_back(path);
    return !m_failReplace && ForwardingEnv::ReplaceFile(path, contents);
  }
  const std::vector<std::string>& Replaced() const { return m_replaced; }

 private:
  bool m_failReplace;
  std::vector<std::string> m_replaced;
};

class ExclusionListsTest : public ::testing::Test {
 protected:
  WString PathOf(const std::string& name) const { return Utf8ToWide(m_folder.File(name)); }

  void WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(m_folder.File(name), std::ios::binary) << text;
  }

  std::string ReadText(const std::string& name) const {
    std::ifstream in(m_folder.File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool Exists(const std::string& name) const { return std::filesystem::exists(m_folder.File(name)); }

  // The text that saving the user-excluded list writes now.
  std::string SavedList() {
    m_manager.SaveCommandsUserExcluded(PathOf("saved.txt"));
    return ReadText("saved.txt");
  }

  void InitializeInMemory() { ASSERT_EQ(m_manager.Initialize(u"", nullptr, 1, 10), S_OK); }

  LONG Run(LONG commandId) { return m_manager.BeforeCommandRun(commandId, nullptr, "E", 0, 0); }

  std::vector<LONG> PredictedCommands() {
    std::vector<PredictionCommandManagerPredictionData> predictions;
    m_manager.GetPredictionCommandIDs("E", predictions);
    std::vector<LONG> commands;
    for (const auto& prediction : predictions) {
      if (prediction.commandId != 0) commands.push_back(prediction.commandId);
    }
    return commands;
  }

  TempFolder m_folder;
  CPredictionCommandManager m_manager;
};

// --- Loading ------------------------------------------------------------------------------------------

TEST_F(ExclusionListsTest, LoadingTwoTrainingExclusionFilesExcludesTheCommandsOfBoth) {
  WriteText("first.txt", "5,6\n7");
  WriteText("second.txt", "8");
  InitializeInMemory();
  m_manager.LoadCommandsExcludedFromTraining(PathOf("first.txt"));
  m_manager.LoadCommandsExcludedFromTraining(PathOf("second.txt"));
  for (const LONG excluded : {5, 6, 7, 8}) EXPECT_EQ(Run(excluded), S_FALSE) << excluded;
  EXPECT_EQ(Run(9), S_OK);
}

TEST_F(ExclusionListsTest, ATrainingExclusionFileThatCannotBeReadExcludesNothing) {
  InitializeInMemory();
  m_manager.LoadCommandsExcludedFromTraining(PathOf("missing.txt"));
  m_manager.LoadCommandsExcludedFromTraining(Utf8ToWide(m_folder.Path()));
  EXPECT_EQ(Run(5), S_OK);
}

TEST_F(ExclusionListsTest, AUserListReadsBackAsTheTextItWasLoadedFrom) {
  WriteText("user.txt", "10,1,20,\n0\n-3,7");
  m_manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  EXPECT_EQ(SavedList(), "-3,1,10,1,20,0");
}

TEST_F(ExclusionListsTest, AUserListThatCannotBeReadLeavesTheListAsItWas) {
  WriteText("user.txt", "5,1");
  m_manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  m_manager.LoadCommandsUserExcluded(PathOf("missing.txt"));
  EXPECT_EQ(SavedList(), "5,1");
}

// --- Saving -------------------------------------------------------------------------------------------

TEST_F(ExclusionListsTest, AddedCommandsAreSavedAscendingWithTheFlagOne) {
  m_manager.AddCommandIDToUserExcludedCommands(42);
  m_manager.AddCommandIDToUserExcludedCommands(7);
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "7,1,42,1");
}

TEST_F(ExclusionListsTest, ACommandOnlySeenWhileRecordingIsSavedWithTheFlagZero) {
  InitializeInMemory();
  ASSERT_EQ(Run(100), S_OK);
  m_manager.AddCommandIDToUserExcludedCommands(7);
  EXPECT_EQ(SavedList(), "7,1,100,0");
}

TEST_F(ExclusionListsTest, ACommandSeenAndThenExcludedByTheUserIsNoLongerLearntAndIsSavedAsExcluded) {
  InitializeInMemory();
  ASSERT_EQ(Run(100), S_OK);
  ASSERT_EQ(Run(101), S_OK);
  m_manager.AddCommandIDToUserExcludedCommands(100);
  EXPECT_EQ(Run(100), S_FALSE);
  EXPECT_EQ(SavedList(), "100,1,101,0");
}

TEST_F(ExclusionListsTest, SavingWithNothingToWriteLeavesAnExistingFile) {
  WriteText("user.txt", "5,1");
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "5,1");
}

TEST_F(ExclusionListsTest, SavingToAnEmptyFileNameTouchesNoFile) {
  ReplaceRecordingEnv env(false);
  ScopedEnv scoped(env);
  m_manager.AddCommandIDToUserExcludedCommands(5);
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(WString()), S_OK);
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_TRUE(env.Replaced().empty());
}

TEST_F(ExclusionListsTest, AFailedWriteLeavesThePreviousFileAndStillSucceeds) {
  WriteText("user.txt", "5,1");
  ReplaceRecordingEnv env(true);
  ScopedEnv scoped(env);
  m_manager.AddCommandIDToUserExcludedCommands(6);
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);
  EXPECT_EQ(env.Replaced(), std::vector<std::string>{m_folder.File("user.txt")});
  EXPECT_EQ(ReadText("user.txt"), "5,1");
}

TEST_F(ExclusionListsTest, SavingWithoutAFileNameWritesTheFileThatWasLoaded) {
  WriteText("user.txt", "5,1");
  m_manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  m_manager.AddCommandIDToUserExcludedCommands(6);
  EXPECT_EQ(m_manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "5,1,6,1");
}

TEST_F(ExclusionListsTest, SavingWithoutAFileNameCreatesTheLoadedFileOnAFirstRun) {
  m_manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  m_manager.AddCommandIDToUserExcludedCommands(6);
  m_manager.SaveCommandsUserExcluded();
  EXPECT_EQ(ReadText("user.txt"), "6,1");
}

TEST_F(ExclusionListsTest, SavingWithoutAFileNameWritesTheFileTheHostSet) {
  m_manager.SetUserExcludedCommandsFile(PathOf("set.txt"));
  m_manager.AddCommandIDToUserExcludedCommands(6);
  m_manager.SaveCommandsUserExcluded();
  EXPECT_EQ(ReadText("set.txt"), "6,1");
}

TEST_F(ExclusionListsTest, NonAsciiFileNamesAreUtf8Paths) {
  m_manager.AddCommandIDToUserExcludedCommands(6);
  m_manager.SaveCommandsUserExcluded(Utf8ToWide(m_folder.Path()) + u"/\u00DCbung.txt");
  EXPECT_EQ(ReadText("\xC3\x9C"
                     "bung.txt"),
            "6,1");
}

// --- What the lists do to learning and predicting -----------------------------------------------------

TEST_F(ExclusionListsTest, ATrainingExcludedCommandIsNeitherLearntNorPredicted) {
  InitializeInMemory();
  for (const LONG command : {1, 5, 1}) ASSERT_EQ(Run(command), S_OK);
  ASSERT_THAT(PredictedCommands(), Contains(5));
  WriteText("training.txt", "5");
  m_manager.LoadCommandsExcludedFromTraining(PathOf("training.txt"));
  EXPECT_EQ(Run(5), S_FALSE);
  EXPECT_EQ(Run(2), S_OK);
  EXPECT_EQ(Run(1), S_OK);
  EXPECT_THAT(PredictedCommands(), Not(Contains(5)));
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 1);
}

TEST_F(ExclusionListsTest, AnAlwaysLearntCommandInTheTrainingExclusionsIsLearntButNeverPredicted) {
  WriteText("training.txt", "62000,63999");
  InitializeInMemory();
  m_manager.LoadCommandsExcludedFromTraining(PathOf("training.txt"));
  for (const LONG command : {1, 62000, 1, 63999, 1}) ASSERT_EQ(Run(command), S_OK);
  EXPECT_THAT(PredictedCommands(), Not(Contains(62000)));
  EXPECT_THAT(PredictedCommands(), Not(Contains(63999)));
  // The model gives its items back newest first: both were learnt.
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 1);
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 63999);
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 1);
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 62000);
}

TEST_F(ExclusionListsTest, AUserExcludedCommandIsNotLearnt) {
  WriteText("user.txt", "9,1,8,0");
  InitializeInMemory();
  m_manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  EXPECT_EQ(Run(9), S_FALSE);
  EXPECT_EQ(Run(8), S_OK);
  EXPECT_EQ(m_manager.RemoveTrainingSequenceCommand(u"E"), 8);
}

}  // namespace
}  // namespace cmdpredict
