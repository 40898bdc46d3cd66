#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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

// A text, what is read from it (written as a user list) and whether all of it was used.
struct ListCase {
  const char* name;
  const char* text;
  const char* read;
  bool allUsed;
};

template <typename Reader>
void ExpectReads(Reader read, const std::vector<ListCase>& cases) {
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    CommandFlags flags;
    EXPECT_EQ(read(c.text, flags), c.allUsed);
    EXPECT_EQ(FormatUserExclusionList(flags), c.read);
  }
}

TEST(ExclusionListFile, ReadsEachTrainingListLineUpToItsFirstTextThatIsNotANumber) {
  ExpectReads(
      ReadTrainingExclusionList,
      {{"lines of numbers", "5,6\n7", "5,1,6,1,7,1", true},
       {"white space between numbers", "5 6", "5,1,6,1", true},
       {"lines ending with CR LF and an empty line", "5\r\n\r\n6", "5,1,6,1", true},
       {"two commas", "5,,6\n8", "5,1,8,1", false},
       {"a comma after white space", "5 ,6\n8", "5,1,8,1", false},
       {"a letter", "x,7\n9", "9,1", false},
       {"signs", "5-6,+4,-0", "-6,1,0,1,4,1,5,1", true},
       {"a sign without digits", "5,+,6\n- 7", "5,1", false},
       {"numbers beyond the 32-bit range", "5,2147483648,6\n-2147483649\n4294967301\n7", "5,1,7,1", false},
       {"a number beyond the 32-bit range ending the text", "5,2147483648", "5,1", false},
       {"a sign without digits ending the text", "5,-", "5,1", false}});
}

TEST(ExclusionListFile, ReadsTheUserListAsIdentifierFlagPairs) {
  ExpectReads(ReadUserExclusionList,
              {{"pairs, any flag but 0 excluding", "5,1,9,0,-7,2", "-7,1,5,1,9,0", true},
               {"a pair over two lines", "10,1,20,\n0", "10,1,20,0", true},
               {"a later pair of an identifier", "5,1,5,0", "5,0", true},
               {"an identifier without comma at a line end", "10,1,20\n0\n30,1", "10,1,30,1", false},
               {"an identifier followed by white space", "10 1,20,1", "", false},
               {"a flag after an empty line and text", "10,\n\nx\n0", "10,0", false},
               {"an identifier without flag at the end", "10,1,20,", "10,1", false},
               {"an identifier beyond the 32-bit range", "2147483648,1\n5,1", "5,1", false},
               {"an identifier beyond the 32-bit range ending the text", "10,1\n2147483648", "10,1", false}});
}

class ExclusionLists : public InMemoryManager {
 protected:
  WString Write(const std::string& name, const std::string& text) {
    SystemEnv().ReplaceFile(folder.File(name), text);
    return PathOf(name);
  }
  WString PathOf(const std::string& name) const { return Utf8ToWide(folder.File(name)); }
  std::string ReadText(const std::string& name) {
    std::string text;
    SystemEnv().ReadFile(folder.File(name), text);
    return text;
  }
  TempFolder folder;
};

TEST_F(ExclusionLists, CommandsOfEveryTrainingListLoadedAreNotLearnt) {
  manager.LoadCommandsExcludedFromTraining(Write("first.txt", "5"));
  manager.LoadCommandsExcludedFromTraining(Write("second.txt", "8"));
  EXPECT_EQ(RunCommands(manager, "E", {5, 8}), (std::vector<LONG>{S_FALSE, S_FALSE}));
}

// The band from 62000 up to 64000 is learnt all the same, but not predicted either: 1 is left.
TEST_F(ExclusionLists, CommandsOfTheTrainingListsAreNeverPredicted) {
  RunCommands(manager, "E", {1, 5, 1});
  manager.LoadCommandsExcludedFromTraining(Write("list.txt", "5,62000"));
  RunCommands(manager, "E", {62000, 1});
  EXPECT_EQ(Commands(manager, CMDPREDICT_WIDE("E"), 3), (CommandList{1, 0, 0}));
}

TEST_F(ExclusionLists, ACommandSeenBeforeIsNotLearntOnceTheUserExcludesIt) {
  RunCommands(manager, "E", {100, 101});
  manager.AddCommandIDToUserExcludedCommands(100);
  EXPECT_EQ(RunCommands(manager, "E", {100}), std::vector<LONG>{S_FALSE});
}

TEST_F(ExclusionLists, LoadingTheUserListKeepsItsOtherEntries) {
  manager.AddCommandIDToUserExcludedCommands(7);
  manager.LoadCommandsUserExcluded(Write("user.txt", "9,1"));
  manager.SaveCommandsUserExcluded(PathOf("saved.txt"));
  EXPECT_EQ(ReadText("saved.txt"), "7,1,9,1");
}

TEST_F(ExclusionLists, SaveWritesCommandsSeenAsNotExcludedUnlessTheUserExcludedThem) {
  RunCommands(manager, "E", {100, 101});
  manager.AddCommandIDToUserExcludedCommands(100);
  manager.SaveCommandsUserExcluded(PathOf("user.txt"));
  EXPECT_EQ(ReadText("user.txt"), "100,1,101,0");
}

TEST_F(ExclusionLists, SaveWithNothingToWriteLeavesTheFileAlone) {
  EXPECT_EQ(manager.SaveCommandsUserExcluded(Write("user.txt", "5,1")), S_OK);
  EXPECT_EQ(ReadText("user.txt"), "5,1");
}

TEST_F(ExclusionLists, SaveWithoutFileNameWritesToTheUserListLoadedLast) {
  manager.LoadCommandsUserExcluded(PathOf(u8"\u00DCbung.txt"));  // no file yet, but its name is kept
  manager.AddCommandIDToUserExcludedCommands(7);
  EXPECT_EQ(manager.SaveCommandsUserExcluded(), S_OK);
  EXPECT_EQ(ReadText(u8"\u00DCbung.txt"), "7,1");
}

// A list file that does not exist yet is normal (the user's list before its first save).
TEST_F(ExclusionLists, ListFilesThatExistButCannotBeUsedInFullAreReported) {
  std::filesystem::create_directory(folder.File("folder.txt"));
  Write("prose.txt", "5,6\nnot a number");
  const struct {
    const char* name;
    const char* file;
    std::size_t reports;  // one per loader
  } cases[] = {
      {"unreadable", "folder.txt", 2}, {"not a list", "prose.txt", 2}, {"missing", "missing.txt", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CPredictionCommandManager host;
    const DiagnosticLog log(host);
    host.LoadCommandsExcludedFromTraining(PathOf(c.file));
    host.LoadCommandsUserExcluded(PathOf(c.file));
    EXPECT_EQ(log.Seen(), KindsAndPaths(c.reports, {DiagnosticKind::kListFileUnusable, folder.File(c.file)}));
  }
}

// (That the previous file stays whole is the file service's to show.)
TEST_F(ExclusionLists, AUserListThatCannotBeWrittenIsReported) {
  manager.AddCommandIDToUserExcludedCommands(7);
  const DiagnosticLog log(manager);
  RecordingEnv full;
  full.failingWrites.insert(folder.File("user.txt"));
  const ScopedEnv scoped(full);
  EXPECT_EQ(manager.SaveCommandsUserExcluded(PathOf("user.txt")), S_OK);
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kListFileNotWritten, WString(),
                                                 folder.File("user.txt"), "No space left on device"}}));
}

}  // namespace
}  // namespace cmdpredict
