#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/diagnostic_log.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using Written = std::map<std::string, std::string>;

// A record of one cell under a header that needs quoting.
NamedTrainingCommandSequence Named(const WString& name, const WString& value) {
  return {name, {CMDPREDICT_WIDE("Value, \"quoted\"")}, {{value}}, {}};
}
const std::string kHeader = "\"Value, \"\"quoted\"\"\"\r\n";
const WString kGroup = CMDPREDICT_WIDE("Week1");
const NamedTrainingCommandSequence kDrill{
    CMDPREDICT_WIDE("Drill"),
    {CMDPREDICT_WIDE("Command"), CMDPREDICT_WIDE("Time")},
    {{CMDPREDICT_WIDE("Open"), CMDPREDICT_WIDE("Save")}, {CMDPREDICT_WIDE("1")}},
    {}};
const std::string kDrillTable = "Command,Time\r\nOpen,1\r\nSave,";

// Records saved at the second 1700000000 into a sequences folder not yet made.
class NamedTrainingSequences : public ::testing::Test {
 protected:
  NamedTrainingSequences() {
    env.now = 1700000000;
    manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/"));
  }
  // Every file and folder below the sequences folder, relative to it, with the file's text.
  Written Contents() const {
    Written written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sequences)) {
      std::string& text = written[std::filesystem::relative(entry.path(), sequences).generic_string()];
      if (entry.is_regular_file()) SystemEnv().ReadFile(entry.path().string(), text);
    }
    return written;
  }
  TempFolder folder;
  const std::string sequences = folder.File("sequences");
  RecordingEnv env;
  ScopedEnv scoped{env};
  CPredictionCommandManager manager;
};

TEST_F(NamedTrainingSequences, WriteATableIntoItsGroupFolderNamedByRecordThenTime) {
  EXPECT_EQ(manager.SaveNamedTrainingSequence(kGroup, kDrill), S_OK);
  EXPECT_EQ(Contents(), (Written{{"Week1", ""}, {"Week1/Drill1700000000.csv", kDrillTable}}));
}

TEST_F(NamedTrainingSequences, WriteATableOfTheEmptyGroupIntoTheSequencesFolder) {
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE(""), kDrill), S_OK);
  EXPECT_EQ(Contents(), (Written{{"Drill1700000000.csv", kDrillTable}}));
}

TEST_F(NamedTrainingSequences, PutNoSeparatorAfterTheSequencesFolder) {
  std::filesystem::create_directory(sequences);
  manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/s"));
  manager.SaveNamedTrainingSequence(kGroup, kDrill);
  EXPECT_EQ(Contents(), (Written{{"s", ""}, {"sWeek1", ""}, {"sWeek1/Drill1700000000.csv", kDrillTable}}));
}

TEST_F(NamedTrainingSequences, RefuseARecordWhoseColumnsDoNotMatchItsHeader) {
  const NamedTrainingCommandSequence mismatch{
      CMDPREDICT_WIDE("Drill"), {CMDPREDICT_WIDE("A"), CMDPREDICT_WIDE("B")}, {{CMDPREDICT_WIDE("1")}}, {}};
  EXPECT_EQ(manager.SaveNamedTrainingSequence(kGroup, mismatch), E_INVALIDARG);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(NamedTrainingSequences, WriteNothingForARecordWithoutName) {
  EXPECT_EQ(manager.SaveNamedTrainingSequence(kGroup, Named(CMDPREDICT_WIDE(""), CMDPREDICT_WIDE("x"))),
            S_OK);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(NamedTrainingSequences, KeepEveryNameInsideItsFolder) {
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("../up"),
                                    Named(CMDPREDICT_WIDE("a/b:c"), CMDPREDICT_WIDE("x")));
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE(".."), Named(CMDPREDICT_WIDE("N"), CMDPREDICT_WIDE("x")));
  EXPECT_EQ(Contents(), (Written{{"%2E%2E", ""},
                                 {"%2E%2E/N1700000000.csv", kHeader + "x"},
                                 {"..%2Fup", ""},
                                 {"..%2Fup/a%2Fb%3Ac1700000000.csv", kHeader + "x"}}));
}

TEST_F(NamedTrainingSequences, QuoteCellsThatHoldLineBreaks) {
  manager.SaveNamedTrainingSequence(kGroup, Named(CMDPREDICT_WIDE("N"), CMDPREDICT_WIDE("2\r\n")));
  EXPECT_EQ(Contents()["Week1/N1700000000.csv"], kHeader + "\"2\r\n\"");
}

TEST_F(NamedTrainingSequences, WriteEachCharacterBeyondAsciiAsOneQuestionMark) {
  manager.SaveNamedTrainingSequence(kGroup,
                                    Named(CMDPREDICT_WIDE("N"), CMDPREDICT_WIDE("caf\u00E9\U0001F600")));
  EXPECT_EQ(Contents()["Week1/N1700000000.csv"], kHeader + "caf??");
}

TEST_F(NamedTrainingSequences, NeverReplaceATableSavedInTheSameSecond) {
  for (const WChar* value : {CMDPREDICT_WIDE("1"), CMDPREDICT_WIDE("2")})
    manager.SaveNamedTrainingSequence(kGroup, Named(CMDPREDICT_WIDE("\u00DCbung"), value));
  const std::string file = u8"Week1/\u00DCbung1700000000";
  EXPECT_EQ(Contents(),
            (Written{{"Week1", ""}, {file + ".csv", kHeader + "1"}, {file + "-2.csv", kHeader + "2"}}));
}

TEST_F(NamedTrainingSequences, ReportATableThatCannotBeWritten) {
  const std::string table = sequences + "/Week1" + kPathSeparator + "Drill1700000000.csv";
  env.failingWrites.insert(table);
  const DiagnosticLog log(manager);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(kGroup, kDrill), S_OK);
  EXPECT_EQ(log.Records(), (std::vector<Record>{{DiagnosticKind::kNamedSequenceNotWritten, WString(), table,
                                                 "No space left on device"}}));
}

// A file stands where the sequences folder's parent must be.
TEST_F(NamedTrainingSequences, ReportASequencesFolderThatCannotBeCreated) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("file"), "a file"));
  const std::string unusable = folder.File("file") + "/sequences/";
  manager.SetNamedSequencesFolder(Utf8ToWide(unusable));
  const DiagnosticLog log(manager);
  manager.SaveNamedTrainingSequences({{kGroup, {kDrill}}});
  EXPECT_EQ(log.Seen(), (KindsAndPaths{{DiagnosticKind::kFolderNotCreated, unusable}}));
}

}  // namespace
}  // namespace cmdpredict
