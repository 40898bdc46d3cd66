#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/env.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"
#include "userdata/exclusion_list_file.h"

namespace cmdpredict {
namespace {

TEST(ExclusionListFile, ReadsEachLineUpToItsFirstTextThatIsNotANumberAndWritesWhatItRead) {
  constexpr bool training = false, user = true;
  // Each text and the user-list text of what is read from it.
  // clang-format off
  const std::tuple<bool, const char*, const char*> cases[] = {
      {training, "5,6\n7", "5,1,6,1,7,1"}, {training, "5,,6\n8", "5,1,8,1"}, {training, "5 6", "5,1,6,1"},
      {training, "5 ,6\r\nx,7\r\n\r\n9", "5,1,9,1"}, {training, "5-6,+4,-0", "-6,1,0,1,4,1,5,1"},
      {training, "5,+,6\n- 7", "5,1"}, {training, "-2147483648,2147483647", "-2147483648,1,2147483647,1"},
      {training, "5,2147483648,6\n-2147483649\n4294967301\n7", "5,1,7,1"},
      {user, "5,1,9,0,-7,2", "-7,1,5,1,9,0"}, {user, "10,1,20,\n0", "10,1,20,0"},
      {user, "10,1,20\n0\n30,1", "10,1,30,1"}, {user, "10 1,20,1", ""}, {user, "10,\n\nx\n0", "10,0"},
      {user, "10,1,20,", "10,1"}, {user, "5,1,5,0", "5,0"}, {user, "2147483648,1\n5,1", "5,1"},
  };
  // clang-format on
  for (const auto& [isUserList, text, expected] : cases) {
    CommandFlags flags, again;
    (isUserList ? ReadUserExclusionList : ReadTrainingExclusionList)(text, flags);
    EXPECT_EQ(FormatUserExclusionList(flags), expected) << ::testing::PrintToString(text);
    ReadUserExclusionList(expected, again);
    EXPECT_EQ(again, flags) << expected;
  }
}

class ExclusionLists : public ::testing::Test {
 protected:
  ExclusionLists() { EXPECT_EQ(manager.Initialize(u"", nullptr, 1, 10), S_OK); }
  WString PathOf(const std::string& name) const { return Utf8ToWide(folder.File(name)); }
  std::string ReadText(const std::string& name) {
    std::string text;
    SystemEnv().ReadFile(folder.File(name), text);
    return text;
  }
  LONG Run(LONG commandId) { return manager.BeforeCommandRun(commandId, nullptr, "E", 0, 0); }
  bool Predicts(LONG commandId) {
    std::vector<PredictionCommandManagerPredictionData> predictions;
    manager.GetPredictionCommandIDs("E", predictions);
    auto isCommand = [commandId](const auto& prediction) { return prediction.commandId == commandId; };
    return std::any_of(predictions.begin(), predictions.end(), isCommand);
  }

  TempFolder folder;
  CPredictionCommandManager manager;
};

TEST_F(ExclusionLists, CommandsOfTheTrainingListsAreNotLearntAndNeverPredicted) {
  for (const LONG command : {1, 5, 1}) ASSERT_EQ(Run(command), S_OK);
  ASSERT_TRUE(Predicts(5));
  SystemEnv().ReplaceFile(folder.File("first.txt"), "5,62000\n63999");
  SystemEnv().ReplaceFile(folder.File("second.txt"), "8");
  for (const char* file : {"first.txt", "second.txt"}) manager.LoadCommandsExcludedFromTraining(PathOf(file));
  for (const LONG command : {5, 8}) EXPECT_EQ(Run(command), S_FALSE) << command;
  for (const LONG command : {62000, 1, 63999, 1}) EXPECT_EQ(Run(command), S_OK);  // always learnt
  EXPECT_FALSE(Predicts(5) || Predicts(62000) || Predicts(63999));
  for (const LONG id : {1, 63999, 1, 62000, 1}) EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), id);
}

TEST_F(ExclusionLists, UserExcludedCommandsAreNotLearntAndWinOverSeenOnesWhenSaved) {
  SystemEnv().ReplaceFile(folder.File("user.txt"), "5,1");
  EXPECT_EQ(manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);  // nothing to write
  EXPECT_EQ(ReadText("user.txt"), "5,1");
  manager.LoadCommandsUserExcluded(PathOf(u8"\u00DCbung.txt"));  // no file yet, but its name is kept
  for (const LONG command : {42, 7}) manager.AddCommandIDToUserExcludedCommands(command);
  EXPECT_EQ(manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_EQ(ReadText(u8"\u00DCbung.txt"), "7,1,42,1");

  SystemEnv().ReplaceFile(folder.File("user.txt"), "9,1,8,0");
  manager.LoadCommandsUserExcluded(PathOf("user.txt"));
  for (const LONG command : {100, 101, 8}) EXPECT_EQ(Run(command), S_OK);
  manager.AddCommandIDToUserExcludedCommands(100);
  for (const LONG command : {9, 100}) EXPECT_EQ(Run(command), S_FALSE) << command;
  EXPECT_EQ(manager.RemoveTrainingSequenceCommand(u"E"), 8);
  EXPECT_EQ(manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "7,1,8,0,9,1,42,1,100,1,101,0");
}

}  // namespace
}  // namespace cmdpredict
