#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kNow = 1700000000;

// A clock the test sets; counts the files written.
class ClockEnv : public ForwardingEnv {
 public:
  std::int64_t NowSeconds() override { return m_now; }
  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    ++m_filesWritten;
    return ForwardingEnv::ReplaceFile(path, contents);
  }

  std::int64_t m_now = kNow;
  int m_filesWritten = 0;
};

NamedTrainingCommandSequence Drill() {
  NamedTrainingCommandSequence record;
  record.name = u"Drill";
  record.columnNames = {u"Command", u"Time"};
  record.columns = {{u"Open", u"Save"}, {u"1"}};
  record.extra = {3, 4};
  return record;
}

NamedTrainingCommandSequence Named(const WString& name, const WString& value) {
  NamedTrainingCommandSequence record;
  record.name = name;
  record.columnNames = {u"Value"};
  record.columns = {{value}};
  return record;
}

class NamedTrainingSequencesTest : public ::testing::Test {
 protected:
  NamedTrainingSequencesTest() : m_scoped(m_env) { UseFolder("sequences/"); }

  // Sets the sequences folder to the path of `name` in the test's folder, taken as it is.
  void UseFolder(const std::string& name) {
    m_manager.SetNamedSequencesFolder(Utf8ToWide(m_folder.File(name)));
  }

  std::string ReadText(const std::string& name) const {
    std::ifstream in(m_folder.File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Every file and folder under the test's folder, relative to it, in sorted order.
  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder.Path())) {
      entries.push_back(std::filesystem::relative(entry.path(), m_folder.Path()).generic_string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  TempFolder m_folder;
  ClockEnv m_env;
  ScopedEnv m_scoped;
  CPredictionCommandManager m_manager;
};

// --- File names and contents --------------------------------------------------------------------------

TEST_F(NamedTrainingSequencesTest, WritesTheTableIntoTheGroupFolderUnderTheNameAndTheTime) {
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", Drill()), S_OK);
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/Week1", "sequences/Week1/Drill1700000000.csv"));
  EXPECT_EQ(ReadText("sequences/Week1/Drill1700000000.csv"), "Command,Time\r\nOpen,1\r\nSave,");
  EXPECT_EQ(m_env.m_filesWritten, 1);
}

TEST_F(NamedTrainingSequencesTest, WritesARecordWithoutAGroupIntoTheFolderItself) {
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"", Drill()), S_OK);
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/Drill1700000000.csv"));
  EXPECT_EQ(ReadText("sequences/Drill1700000000.csv"), "Command,Time\r\nOpen,1\r\nSave,");
}

TEST_F(NamedTrainingSequencesTest, JoinsTheFolderAndTheGroupWithoutASeparator) {
  UseFolder("seq-");
  m_manager.SaveNamedTrainingSequence(u"Week1", Drill());
  EXPECT_THAT(Entries(), ElementsAre("seq-", "seq-Week1", "seq-Week1/Drill1700000000.csv"));
}

TEST_F(NamedTrainingSequencesTest, WritesAUtf8FileNameAndQuestionMarksForCharactersBeyondAscii) {
  m_manager.SaveNamedTrainingSequence(u"\u00C9t\u00E9", Named(u"\u00DCbung", u"caf\u00E9"));
  const std::string file =
      "sequences/\xC3\x89t\xC3\xA9/\xC3\x9C"
      "bung1700000000.csv";
  EXPECT_EQ(ReadText(file), "Value\r\ncaf?");
}

TEST_F(NamedTrainingSequencesTest, QuotesCellsThatWouldShiftTheTable) {
  m_manager.SaveNamedTrainingSequence(u"", Named(u"Q", u"a,\"b\"\r\nc"));
  EXPECT_EQ(ReadText("sequences/Q1700000000.csv"), "Value\r\n\"a,\"\"b\"\"\r\nc\"");
}

// --- Names that could leave the folder -----------------------------------------------------------------

TEST_F(NamedTrainingSequencesTest, EscapesSeparatorsAndReservedCharactersInGroupAndRecordNames) {
  m_manager.SaveNamedTrainingSequence(u"../up", Named(u"a/b:c", u"x"));
  EXPECT_THAT(Entries(),
              ElementsAre("sequences", "sequences/..%2Fup", "sequences/..%2Fup/a%2Fb%3Ac1700000000.csv"));
}

TEST_F(NamedTrainingSequencesTest, EscapesTheDotsOfAGroupThatWouldNameTheParentFolder) {
  m_manager.SaveNamedTrainingSequence(u"..", Named(u"N", u"x"));
  m_manager.SaveNamedTrainingSequence(u".", Named(u"N", u"y"));
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/%2E", "sequences/%2E%2E",
                                     "sequences/%2E%2E/N1700000000.csv", "sequences/%2E/N1700000000.csv"));
}

TEST_F(NamedTrainingSequencesTest, KeepsTheDotsOfAGroupThatHasOtherCharacters) {
  m_manager.SaveNamedTrainingSequence(u"..a.", Named(u"N", u"x"));
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/..a.", "sequences/..a./N1700000000.csv"));
}

// --- Same name, same second ----------------------------------------------------------------------------

TEST_F(NamedTrainingSequencesTest, GivesALaterRecordOfTheSameNameInTheSameSecondItsOwnFile) {
  m_manager.SaveNamedTrainingSequence(u"G", Named(u"N", u"first"));
  m_manager.SaveNamedTrainingSequence(u"G", Named(u"N", u"second"));
  m_manager.SaveNamedTrainingSequence(u"G", Named(u"N", u"third"));
  EXPECT_EQ(ReadText("sequences/G/N1700000000.csv"), "Value\r\nfirst");
  EXPECT_EQ(ReadText("sequences/G/N1700000000-2.csv"), "Value\r\nsecond");
  EXPECT_EQ(ReadText("sequences/G/N1700000000-3.csv"), "Value\r\nthird");
}

TEST_F(NamedTrainingSequencesTest, GivesARecordOfTheNextSecondThePlainName) {
  m_manager.SaveNamedTrainingSequence(u"G", Named(u"N", u"first"));
  m_env.m_now = kNow + 1;
  m_manager.SaveNamedTrainingSequence(u"G", Named(u"N", u"second"));
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/G", "sequences/G/N1700000000.csv",
                                     "sequences/G/N1700000001.csv"));
}

// --- What is not written ----------------------------------------------------------------------------

TEST_F(NamedTrainingSequencesTest, RefusesADifferentNumberOfColumnNamesAndColumnsAndWritesNothing) {
  NamedTrainingCommandSequence record = Drill();
  record.columns.pop_back();
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", record), static_cast<HRESULT>(0x80070057U));
  record.name.clear();
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", record), E_INVALIDARG);
  EXPECT_THAT(Entries(), IsEmpty());
}

TEST_F(NamedTrainingSequencesTest, SavesNothingAndCreatesNoFolderForAnEmptyName) {
  NamedTrainingCommandSequence record = Drill();
  record.name.clear();
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", record), S_OK);
  EXPECT_THAT(Entries(), IsEmpty());
}

TEST_F(NamedTrainingSequencesTest, WritesTheHeaderAloneForARecordWithEmptyColumns) {
  NamedTrainingCommandSequence record = Drill();
  record.columns = {{}, {}};
  m_manager.SaveNamedTrainingSequence(u"", record);
  EXPECT_EQ(ReadText("sequences/Drill1700000000.csv"), "Command,Time");
}

TEST_F(NamedTrainingSequencesTest, CreatesFoldersOneLevelOnly) {
  UseFolder("missing/sequences/");
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", Drill()), S_OK);
  EXPECT_THAT(Entries(), IsEmpty());
}

TEST_F(NamedTrainingSequencesTest, WritesNothingWhileNoFolderIsSet) {
  CPredictionCommandManager manager;
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"", Drill()), S_OK);
  EXPECT_EQ(manager.SaveNamedTrainingSequence(u"Week1", Drill()), S_OK);
  EXPECT_EQ(m_env.m_filesWritten, 0);
}

TEST_F(NamedTrainingSequencesTest, SkipsAGroupWhoseNameIsTakenByAFile) {
  std::filesystem::create_directory(m_folder.File("sequences"));
  std::ofstream(m_folder.File("sequences/Week1")) << "a file";
  EXPECT_EQ(m_manager.SaveNamedTrainingSequence(u"Week1", Drill()), S_OK);
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/Week1"));
  EXPECT_EQ(ReadText("sequences/Week1"), "a file");
}

// --- Saving many ----------------------------------------------------------------------------------------

TEST_F(NamedTrainingSequencesTest, SavesEveryRecordOfEveryGroup) {
  const CPredictionCommandManager::NamedTrainingSequenceMap sequences{
      {u"", {Named(u"Solo", u"s")}}, {u"B", {Named(u"One", u"1"), Named(u"Two", u"2")}}};
  m_manager.SaveNamedTrainingSequences(sequences);
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/B", "sequences/B/One1700000000.csv",
                                     "sequences/B/Two1700000000.csv", "sequences/Solo1700000000.csv"));
  EXPECT_EQ(ReadText("sequences/B/Two1700000000.csv"), "Value\r\n2");
}

TEST_F(NamedTrainingSequencesTest, SavesTheSequencesTheHostSet) {
  m_manager.SetNamedTrainingSequences({{u"A", {Named(u"N", u"1"), Named(u"N", u"2")}}});
  m_manager.SaveNamedTrainingSequences();
  EXPECT_EQ(ReadText("sequences/A/N1700000000.csv"), "Value\r\n1");
  EXPECT_EQ(ReadText("sequences/A/N1700000000-2.csv"), "Value\r\n2");
}

TEST_F(NamedTrainingSequencesTest, CreatesNoFolderForAnEmptyMap) {
  m_manager.SaveNamedTrainingSequences({});
  m_manager.SaveNamedTrainingSequences();
  EXPECT_THAT(Entries(), IsEmpty());
}

TEST_F(NamedTrainingSequencesTest, GoesOnAfterARecordThatIsRefused) {
  NamedTrainingCommandSequence refused = Drill();
  refused.columns.clear();
  m_manager.SaveNamedTrainingSequences({{u"", {refused, Named(u"N", u"1")}}});
  EXPECT_THAT(Entries(), ElementsAre("sequences", "sequences/N1700000000.csv"));
}

}  // namespace
}  // namespace cmdpredict
