#include "userdata/csv_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cmdpredict {
namespace {

using Columns = std::vector<std::vector<WString>>;

// The text of a one-column table whose header is "h" and whose only value is the given one.
std::string CellText(const WString& value) {
  const std::string table = FormatCsvTable({u"h"}, {{value}});
  return table.substr(std::string("h\r\n").size());
}

TEST(CsvTable, PutsCrLfBetweenLinesAndNoneAfterTheLast) {
  EXPECT_EQ(FormatCsvTable({u"Command", u"Time"}, {{u"Open", u"Save"}, {u"1"}}),
            "Command,Time\r\nOpen,1\r\nSave,");
}

TEST(CsvTable, LeavesTheCellsOfShorterColumnsEmpty) {
  const Columns columns{{u"1"}, {}, {u"1", u"2", u"3"}};
  EXPECT_EQ(FormatCsvTable({u"A", u"B", u"C"}, columns), "A,B,C\r\n1,,1\r\n,,2\r\n,,3");
}

TEST(CsvTable, IsTheHeaderAloneWhenEveryColumnIsEmpty) {
  EXPECT_EQ(FormatCsvTable({u"A", u"B"}, {{}, {}}), "A,B");
}

TEST(CsvTable, IsEmptyWithoutColumns) { EXPECT_EQ(FormatCsvTable({}, {}), ""); }

TEST(CsvTable, WritesEmptyValuesAsEmptyCells) {
  EXPECT_EQ(FormatCsvTable({u"A", u""}, {{u""}, {u"x"}}), "A,\r\n,x");
}

TEST(CsvTable, QuotesACellThatHoldsACommaAQuoteOrALineBreak) {
  EXPECT_EQ(CellText(u"a,b"), "\"a,b\"");
  EXPECT_EQ(CellText(u"say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CellText(u"\""), "\"\"\"\"");
  EXPECT_EQ(CellText(u"x\ry"), "\"x\ry\"");
  EXPECT_EQ(CellText(u"x\r\ny"), "\"x\r\ny\"");
}

TEST(CsvTable, QuotesHeaderCellsLikeValues) {
  EXPECT_EQ(FormatCsvTable({u"Name, first", u"Id"}, {{u"Ann"}, {u"7"}}), "\"Name, first\",Id\r\nAnn,7");
}

TEST(CsvTable, KeepsEveryOtherCellByteForByte) {
  EXPECT_EQ(CellText(u"  spaced  "), "  spaced  ");
  EXPECT_EQ(CellText(u"'single';semi\ttab"), "'single';semi\ttab");
  EXPECT_EQ(CellText(u"\x7F~"), "\x7F~");
}

TEST(CsvTable, WritesEachCharacterAboveAsciiAsOneQuestionMark) {
  EXPECT_EQ(CellText(u"caf\u00E9"), "caf?");
  EXPECT_EQ(CellText(u"\u4E2D\u6587"), "??");
  EXPECT_EQ(CellText(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(CellText(WString{u'a', 0xD800, u'b', 0xDC00}), "a?b?");
  EXPECT_EQ(FormatCsvTable({u"\u00C9tape"}, {}), "?tape");
}

}  // namespace
}  // namespace cmdpredict
