#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/unicode.h"
#include "testing/forwarding_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using Names = std::set<std::string>;

NamedTrainingCommandSequence Named(const WString& name, const WString& value) {
  return {name, {u"Value, \"quoted\""}, {{value}}, {}};
}
const NamedTrainingCommandSequence kDrill{u"Drill", {u"Command", u"Time"}, {{u"Open", u"Save"}, {u"1"}}, {}};

class NamedTrainingSequences : public ::testing::Test {
 protected:
  NamedTrainingSequences() { manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/")); }
  std::string ReadText(const std::string& name) {
    std::string text;
    SystemEnv().ReadFile(sequences + "/" + name, text);
    return text;
  }
  // Every file and folder below the sequences folder, relative to it.
  Names Entries() const {
    Names entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sequences)) {
      entries.insert(std::filesystem::relative(entry.path(), sequences).generic_string());
    }
    return entries;
  }

  TempFolder folder;
  const std::string sequences = folder.File("sequences");
  FixedClockEnv clock{1700000000};
  ScopedEnv scoped{clock};
  CPredictionCommandManager manager;
};

TEST_F(NamedTrainingSequences, WritesATableIntoItsGroupFolderNamedAfterTheRecordAndTheTime) {
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"Week1", kDrill), S_OK);
  manager.SetNamedSequencesFolder(Utf8ToWide(sequences + "/s"));  // nothing is put between folder and names
  manager.SaveNamedTrainingSequence(u"Week1", kDrill);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"", kDrill), S_OK);
  EXPECT_EQ(Entries(), (Names{"Week1", "Week1/Drill1700000000.csv", "s", "sDrill1700000000.csv", "sWeek1",
                              "sWeek1/Drill1700000000.csv"}));
  EXPECT_EQ(ReadText("Week1/Drill1700000000.csv"), "Command,Time\r\nOpen,1\r\nSave,");
}

TEST_F(NamedTrainingSequences, EscapesNamesQuotesCellsMarksNonAsciiAndNeverReplacesAFile) {
  const std::string group = u8"\u00C9t\u00E9", file = group + u8"/\u00DCbung1700000000";
  manager.SaveNamedTrainingSequence(u"../up", Named(u"a/b:c", u"x"));
  manager.SaveNamedTrainingSequence(u"..", Named(u"N", u"x"));
  manager.SaveNamedTrainingSequence(u"\u00C9t\u00E9", Named(u"\u00DCbung", u"caf\u00E9\U0001F600"));
  manager.SaveNamedTrainingSequence(u"\u00C9t\u00E9", Named(u"\u00DCbung", u"2\r\n"));
  EXPECT_EQ(Entries(), (Names{"%2E%2E", "%2E%2E/N1700000000.csv", "..%2Fup",
                              "..%2Fup/a%2Fb%3Ac1700000000.csv", group, file + ".csv", file + "-2.csv"}));
  EXPECT_EQ(ReadText(file + ".csv"), "\"Value, \"\"quoted\"\"\"\r\ncaf??");
  EXPECT_EQ(ReadText(file + "-2.csv"), "\"Value, \"\"quoted\"\"\"\r\n\"2\r\n\"");
}

TEST_F(NamedTrainingSequences, WritesNothingForAMismatchOrAnEmptyName) {
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"Week1", {u"Drill", {u"A", u"B"}, {{u"1"}}, {}}),
            E_INVALIDARG);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"Week1", {u"", {u"A", u"B"}, {{u"1"}}, {}}), E_INVALIDARG);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"Week1", Named(u"", u"x")), S_OK);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace cmdpredict
