#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/diagnostic_log.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using Written = std::map<std::string, std::string>;

NamedTrainingCommandSequence Named(const WString& name, const WString& value) {
  return {name, {CMDPREDICT_WIDE("Value, \"quoted\"")}, {{value}}, {}};
}
const NamedTrainingCommandSequence kDrill{CMDPREDICT_WIDE("Drill"), {CMDPREDICT_WIDE("Command"), CMDPREDICT_WIDE("Time")}, {{CMDPREDICT_WIDE("Open"), CMDPREDICT_WIDE("Save")}, {CMDPREDICT_WIDE("1")}}, {}};

class NamedTrainingSequences : public ::testing::Test {
 protected:
  NamedTrainingSequences() { manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/")); }
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
  FixedClockEnv clock{1700000000};
  ScopedEnv scoped{clock};
  CPredictionCommandManager manager;
};

TEST_F(NamedTrainingSequences, WritesEachUsableTableIntoItsGroupFolderNamedAfterTheRecordAndTheTime) {
  // Neither a mismatch of column names and columns nor an empty name writes anything, not even a folder.
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("G"), {CMDPREDICT_WIDE("Drill"), {CMDPREDICT_WIDE("A"), CMDPREDICT_WIDE("B")}, {{CMDPREDICT_WIDE("1")}}, {}}), E_INVALIDARG);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("Week1"), Named(CMDPREDICT_WIDE(""), CMDPREDICT_WIDE("x"))), S_OK);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("Week1"), kDrill), S_OK);
  manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/s"));  // nothing is put between folder and names
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("Week1"), kDrill);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE(""), kDrill), S_OK);
  const std::string drill = "Command,Time\r\nOpen,1\r\nSave,";
  // clang-format off
  EXPECT_EQ(Contents(), (Written{{"Week1", ""}, {"Week1/Drill1700000000.csv", drill}, {"s", ""},
                                 {"sDrill1700000000.csv", drill}, {"sWeek1", ""},
                                 {"sWeek1/Drill1700000000.csv", drill}}));
  // clang-format on
}

TEST_F(NamedTrainingSequences, EscapesNamesQuotesCellsMarksNonAsciiAndNeverReplacesAFile) {
  const std::string group = u8"\u00C9t\u00E9", file = group + u8"/\u00DCbung1700000000";
  const std::string header = "\"Value, \"\"quoted\"\"\"\r\n";
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("../up"), Named(CMDPREDICT_WIDE("a/b:c"), CMDPREDICT_WIDE("x")));
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE(".."), Named(CMDPREDICT_WIDE("N"), CMDPREDICT_WIDE("x")));
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("\u00C9t\u00E9"), Named(CMDPREDICT_WIDE("\u00DCbung"), CMDPREDICT_WIDE("caf\u00E9\U0001F600")));
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("\u00C9t\u00E9"), Named(CMDPREDICT_WIDE("\u00DCbung"), CMDPREDICT_WIDE("2\r\n")));
  // clang-format off
  EXPECT_EQ(Contents(), (Written{{"%2E%2E", ""}, {"%2E%2E/N1700000000.csv", header + "x"}, {"..%2Fup", ""},
                                 {"..%2Fup/a%2Fb%3Ac1700000000.csv", header + "x"}, {group, ""},
                                 {file + ".csv", header + "caf??"}, {file + "-2.csv", header + "\"2\r\n\""}}));
  // clang-format on
}

TEST_F(NamedTrainingSequences, ATableThatCannotBeWrittenIsReported) {
  RecordingEnv full;
  full.now = 1700000000;
  const std::string table = sequences + "/Week1" + kPathSeparator + "Drill1700000000.csv";
  full.failingWrites.insert(table);
  const ScopedEnv scopedFull(full);
  const DiagnosticLog log(manager);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("Week1"), kDrill), S_OK);
  EXPECT_EQ(log.Records(),
            (std::vector<Record>{
                {DiagnosticKind::kNamedSequenceNotWritten, WString(), table, "No space left on device"}}));
}

// A file stands where the sequences folder's parent must be.
TEST_F(NamedTrainingSequences, ASequencesFolderThatCannotBeCreatedIsReported) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File("file"), "a file"));
  const std::string unusable = folder.File("file") + "/sequences/";
  manager.SetNamedSequencesFolder(Utf8ToWide(unusable));
  const DiagnosticLog log(manager);
  manager.SaveNamedTrainingSequences({{CMDPREDICT_WIDE("Week1"), {kDrill}}});
  EXPECT_EQ(log.Seen(), (KindsAndPaths{{DiagnosticKind::kFolderNotCreated, unusable}}));
}

TEST_F(NamedTrainingSequences, EscapesGroupAndRecordNamesThatWindowsTakesForDevices) {
  manager.SaveNamedTrainingSequence(CMDPREDICT_WIDE("AUX"), Named(CMDPREDICT_WIDE("nul."), CMDPREDICT_WIDE("x")));
  EXPECT_EQ(Contents(), (Written{{"%41UX", ""}, {"%41UX/%6Eul.1700000000.csv", "\"Value, \"\"quoted\"\"\"\r\nx"}}));
}

}  // namespace
}  // namespace cmdpredict
