#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "manager/manager_test_support.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/diagnostic_log.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"
#include "userdata/exclusion_list_file.h"

namespace cmdpredict {
namespace {

TEST(ExclusionListFile, ReadsEachLineUpToItsFirstTextThatIsNotANumberAndWritesWhatItRead) {
  constexpr bool training = false, user = true;
  // Each text, the user-list text of what is read from it, and whether all of the text was used.
  // clang-format off
  const std::tuple<bool, const char*, const char*, bool> cases[] = {
      {training, "5,6\n7", "5,1,6,1,7,1", true}, {training, "5,,6\n8", "5,1,8,1", false},
      {training, "5 6", "5,1,6,1", true}, {training, "5 ,6\r\nx,7\r\n\r\n9", "5,1,9,1", false},
      {training, "5-6,+4,-0", "-6,1,0,1,4,1,5,1", true}, {training, "5,+,6\n- 7", "5,1", false},
      {training, "-2147483648,2147483647", "-2147483648,1,2147483647,1", true},
      {training, "5,2147483648,6\n-2147483649\n4294967301\n7", "5,1,7,1", false},
      {user, "5,1,9,0,-7,2", "-7,1,5,1,9,0", true}, {user, "10,1,20,\n0", "10,1,20,0", true},
      {user, "10,1,20\n0\n30,1", "10,1,30,1", false}, {user, "10 1,20,1", "", false},
      {user, "10,\n\nx\n0", "10,0", false}, {user, "10,1,20,", "10,1", false}, {user, "5,1,5,0", "5,0", true},
      {user, "2147483648,1\n5,1", "5,1", false},
  };
  // clang-format on
  for (const auto& [isUserList, text, expected, allUsed] : cases) {
    SCOPED_TRACE(::testing::PrintToString(text));
    CommandFlags flags, again;
    EXPECT_EQ((isUserList ? ReadUserExclusionList : ReadTrainingExclusionList)(text, flags), allUsed);
    EXPECT_EQ(FormatUserExclusionList(flags), expected);
    ReadUserExclusionList(expected, again);
    EXPECT_EQ(again, flags) << expected;
  }
}

class ExclusionLists : public InMemoryManager {
 protected:
  WString PathOf(const std::string& name) const { return Utf8ToWide(folder.File(name)); }
  std::string ReadText(const std::string& name) {
    std::string text;
    SystemEnv().ReadFile(folder.File(name), text);
    return text;
  }

  TempFolder folder;
};

TEST_F(ExclusionLists, CommandsOfTheTrainingListsAreNotLearntAndNeverPredicted) {
  EXPECT_EQ(RunCommands(manager, "E", {1, 5, 1}), (std::vector<LONG>{S_OK, S_OK, S_OK}));
  ASSERT_THAT(Commands(manager, CMDPREDICT_WIDE("E"), 3), ::testing::Contains(5));
  SystemEnv().ReplaceFile(folder.File("first.txt"), "5,62000\n63999");
  SystemEnv().ReplaceFile(folder.File("second.txt"), "8");
  for (const char* file : {"first.txt", "second.txt"}) manager.LoadCommandsExcludedFromTraining(PathOf(file));
  EXPECT_EQ(RunCommands(manager, "E", {5, 8}), (std::vector<LONG>{S_FALSE, S_FALSE}));
  // Commands from 62000 up to 64000 are learnt all the same, but not predicted either: 1 is left.
  EXPECT_EQ(RunCommands(manager, "E", {62000, 1, 63999, 1}), (std::vector<LONG>{S_OK, S_OK, S_OK, S_OK}));
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 3), (CommandList{1, 0, 0}));
}

TEST_F(ExclusionLists, UserExcludedCommandsAreNotLearntAndWinOverSeenOnesWhenSaved) {
  SystemEnv().ReplaceFile(folder.File("user.txt"), "5,1");
  EXPECT_EQ(manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);  // nothing to write
  EXPECT_EQ(ReadText("user.txt"), "5,1");
  manager.LoadCommandsUserExcluded(PathOf(u8"\u00DCbung.txt"));  // no file yet, but its name is kept
  for (const LONG command : {42, 7}) manager.AddCommandIDToUserExcludedCommands(command);
  manager.SaveCommandsUserExcluded();
  EXPECT_EQ(ReadText(u8"\u00DCbung.txt"), "7,1,42,1");

  SystemEnv().ReplaceFile(folder.File("user.txt"), "9,1,8,0");
  manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  EXPECT_EQ(RunCommands(manager, "E", {100, 101, 8}), (std::vector<LONG>{S_OK, S_OK, S_OK}));
  manager.AddCommandIDToUserExcludedCommands(100);  // seen before
  EXPECT_EQ(RunCommands(manager, "E", {9, 100}), (std::vector<LONG>{S_FALSE, S_FALSE}));
  EXPECT_EQ(manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "7,1,8,0,9,1,42,1,100,1,101,0");
}

// A list file that does not exist yet is normal (the user's list before its first save); one that
// exists but cannot be read, or holds text that is not a list, is reported.
TEST_F(ExclusionLists, ListFilesThatExistButCannotBeUsedInFullAreReported) {
  std::filesystem::create_directory(folder.File("folder.txt"));
  SystemEnv().ReplaceFile(folder.File("prose.txt"), "5,6\nnot a number");
  const DiagnosticLog log(manager);
  for (const char* name : {"folder.txt", "prose.txt", "missing.txt"}) {
    manager.LoadCommandsExcludedFromTraining(PathOf(name));
    manager.LoadCommandsUserExcluded(PathOf(name));
  }
  const auto unusable = [this](const char* name) {
    return std::pair{DiagnosticKind::kListFileUnusable, folder.File(name)};
  };
  EXPECT_EQ(log.Seen(), (KindsAndPaths{unusable("folder.txt"), unusable("folder.txt"), unusable("prose.txt"),
                                       unusable("prose.txt")}));
}

TEST_F(ExclusionLists, AUserListThatCannotBeWrittenIsReportedAndLeavesThePreviousFile) {
  SystemEnv().ReplaceFile(folder.File("user.txt"), "5,1");
  manager.AddCommandIDToUserExcludedCommands(7);
  const DiagnosticLog log(manager);
  RecordingEnv full;
  full.failingWrites.insert(folder.File("user.txt"));
  const ScopedEnv scoped(full);
  EXPECT_EQ(manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kListFileNotWritten, WString(),
                                                 folder.File("user.txt"), "No space left on device"}}));
  EXPECT_EQ(ReadText("user.txt"), "5,1");
}

}  // namespace
}  // namespace cmdpredict
