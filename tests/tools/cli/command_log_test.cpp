#include "command_log.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace cmdpredict::cli {
namespace {

// Parses the text fed in pieces of `piece` bytes; the error, or an empty text.
std::string Parse(const std::string& text, CommandLog& log, std::size_t piece = 4096) {
  CommandLogParser parser;
  bool read = true;
  for (std::size_t at = 0; read && at < text.size(); at += piece)
    read = parser.Feed(std::string_view(text).substr(at, piece));
  if (read) read = parser.Finish();
  log = parser.Log();
  return read ? std::string() : parser.Error();
}

// The log of a text that parses.
CommandLog Parsed(const std::string& text) {
  CommandLog log;
  EXPECT_EQ(Parse(text, log), "");
  return log;
}

TEST(CommandLog, NumbersEventsByTheirLineSkippingBlankAndCommentLines) {
  const CommandLog log = Parsed("# header\n\nE,100\n\n# c\nE,-7");
  ASSERT_EQ(log.events.size(), 2U);
  EXPECT_EQ(log.events[0].line, 3U);
  EXPECT_EQ(log.events[1].line, 6U);
}

TEST(CommandLog, DropsTheCarriageReturnOfALineEnd) {
  EXPECT_EQ(Parsed("E,1,1\r\n").events.at(0).runKind, 1U);
}

TEST(CommandLog, TakesAMissingRunKindAsZero) { EXPECT_EQ(Parsed("E,1").events.at(0).runKind, 0U); }

TEST(CommandLog, ReadsCommandsAndRunKindsOverTheirWholeRange) {
  const CommandLog log = Parsed("E,-2147483648\nE,2147483647,4294967295\n");
  ASSERT_EQ(log.events.size(), 2U);
  EXPECT_EQ(log.events[0].command, std::numeric_limits<LONG>::min());
  EXPECT_EQ(log.events[1].command, std::numeric_limits<LONG>::max());
  EXPECT_EQ(log.events[1].runKind, std::numeric_limits<DWORD>::max());
}

TEST(CommandLog, NumbersEnvironmentsByFirstUseKeepingTheirNamesExactly) {
  const CommandLog log = Parsed("E1,1\n E ,2\nE1,3\n,4");
  EXPECT_EQ(log.environments, (std::vector<std::string>{"E1", " E ", ""}));
  ASSERT_EQ(log.events.size(), 4U);
  EXPECT_EQ(log.events[2].environment, 0U);
  EXPECT_EQ(log.events[3].environment, 2U);
}

TEST(CommandLog, ReadsTheSameLogWhateverPiecesItArrivesIn) {
  const std::string text = "A,1\r\n# c\nBB,22,1\n\nA,3";
  for (std::size_t piece = 1; piece < text.size(); ++piece) {
    SCOPED_TRACE(piece);
    CommandLog pieces;
    ASSERT_EQ(Parse(text, pieces, piece), "");
    EXPECT_EQ(pieces.environments, (std::vector<std::string>{"A", "BB"}));
    ASSERT_EQ(pieces.events.size(), 3U);
    EXPECT_EQ(pieces.events[1].runKind, 1U);
    EXPECT_EQ(pieces.events[2].line, 5U);
  }
}

TEST(CommandLog, SkipsAByteOrderMarkAtTheVeryStartOnly) {
  const std::string mark = "\xEF\xBB\xBF";
  CommandLog log;
  ASSERT_EQ(Parse(mark + "E,1\n" + mark + "E,2\n", log, 2), "");
  EXPECT_EQ(log.environments, (std::vector<std::string>{"E", mark + "E"}));
}

TEST(CommandLog, ReportsTheFirstMalformedLineWithItsNumberAndReason) {
  const std::string fields = "expected ENV,COMMAND or ENV,COMMAND,RUNKIND but found ";
  const std::string notCommand = "' is not a signed 32-bit decimal number";
  const std::string notRunKind = "' is not an unsigned 32-bit decimal number";
  const std::string notUtf8 = "1: the environment name is not valid UTF-8";
  const struct {
    const char* name;
    std::string text;
    std::string error;
  } cases[] = {
      {"one field", "E,1\nE\nE,x", "2: " + fields + "1 fields"},
      {"four fields", "E,1,0,0", "1: " + fields + "4 fields"},
      {"empty command", "E,", "1: COMMAND '" + notCommand},
      {"space before command", "E, 1", "1: COMMAND ' 1" + notCommand},
      {"plus sign", "E,+1", "1: COMMAND '+1" + notCommand},
      {"command above range", "E,2147483648", "1: COMMAND '2147483648" + notCommand},
      {"negative run kind", "E,1,-1", "1: RUNKIND '-1" + notRunKind},
      {"run kind above range", "E,1,4294967296", "1: RUNKIND '4294967296" + notRunKind},
      {"overlong UTF-8", "\xC0\x80,1", notUtf8},
      {"NUL byte", std::string("E\0F,1", 5), "1: the environment name contains a NUL byte"},
      {"line too long", "E,1\n# c\n" + std::string(kMaxLogLineBytes + 1, 'x'),
       "3: the line is longer than 65536 bytes"},
  };
  for (const auto& malformed : cases) {
    SCOPED_TRACE(malformed.name);
    CommandLog log;
    EXPECT_EQ(Parse(malformed.text, log), malformed.error);
  }
}

TEST(CommandLog, QuotesAtMostAShortEscapedPrefixOfABadField) {
  CommandLog log;
  EXPECT_EQ(Parse("E,1\x1B[2J\\" + std::string(100, '9'), log),
            "1: COMMAND '1\\x1B[2J\\x5C99999999999999999999999999...' is not a signed 32-bit decimal number");
}

}  // namespace
}  // namespace cmdpredict::cli
