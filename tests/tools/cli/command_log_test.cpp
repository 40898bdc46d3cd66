#include "command_log.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/temp_folder.h"

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

TEST(CommandLog, ReadsEventsSkippingBlankAndCommentLines) {
  CommandLog log;
  ASSERT_EQ(Parse("# header\n\nE1,100\r\n\r\n E ,-7,1\nE1,2147483647,4294967295\n,5", log), "");
  EXPECT_EQ(log.environments, (std::vector<std::string>{"E1", " E ", ""}));
  ASSERT_EQ(log.events.size(), 4U);
  EXPECT_EQ(log.events[0].line, 3U);
  EXPECT_EQ(log.events[0].runKind, 0U);
  EXPECT_EQ(log.events[1].command, -7);
  EXPECT_EQ(log.events[1].runKind, 1U);
  EXPECT_EQ(log.events[2].environment, 0U);
  EXPECT_EQ(log.events[2].runKind, 4294967295U);
  EXPECT_EQ(log.events[3].line, 7U);
}

TEST(CommandLog, ReadsTheSameLogWhateverPiecesItArrivesIn) {
  const std::string text = "A,1\r\n# c\nBB,22,1\n\nA,3";
  CommandLog whole;
  ASSERT_EQ(Parse(text, whole), "");
  for (std::size_t piece = 1; piece < text.size(); ++piece) {
    SCOPED_TRACE(piece);
    CommandLog pieces;
    ASSERT_EQ(Parse(text, pieces, piece), "");
    EXPECT_EQ(pieces.environments, whole.environments);
    ASSERT_EQ(pieces.events.size(), 3U);
    EXPECT_EQ(pieces.events[2].line, 5U);
    EXPECT_EQ(pieces.events[1].runKind, 1U);
  }
}

TEST(CommandLog, SkipsAByteOrderMarkAtTheVeryStartOnly) {
  CommandLog log;
  ASSERT_EQ(Parse("\xEF\xBB\xBF"
                  "E,1\n\xEF\xBB\xBF"
                  "E,2\n",
                  log, 2),
            "");
  EXPECT_EQ(log.environments, (std::vector<std::string>{"E",
                                                        "\xEF\xBB\xBF"
                                                        "E"}));
}

TEST(CommandLog, ReportsTheFirstMalformedLineWithItsNumberAndReason) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"E,1\nE\nE,x", "2: expected ENV,COMMAND or ENV,COMMAND,RUNKIND but found 1 fields"},
      {"E,1,0,0", "1: expected ENV,COMMAND or ENV,COMMAND,RUNKIND but found 4 fields"},
      {"E,", "1: COMMAND '' is not a signed 32-bit decimal number"},
      {"E, 1", "1: COMMAND ' 1' is not a signed 32-bit decimal number"},
      {"E,+1", "1: COMMAND '+1' is not a signed 32-bit decimal number"},
      {"E,2147483648", "1: COMMAND '2147483648' is not a signed 32-bit decimal number"},
      {"E,-2147483649", "1: COMMAND '-2147483649' is not a signed 32-bit decimal number"},
      {"E,1,-1", "1: RUNKIND '-1' is not an unsigned 32-bit decimal number"},
      {"E,1,4294967296", "1: RUNKIND '4294967296' is not an unsigned 32-bit decimal number"},
      {"\xC0\x80,1", "1: the environment name is not valid UTF-8"},
      {"E\xE4\xB8,1", "1: the environment name is not valid UTF-8"},
      {std::string("E\0F,1", 5), "1: the environment name contains a NUL byte"},
      {"E,1\n# c\n" + std::string(kMaxLogLineBytes + 1, 'x'), "3: the line is longer than 65536 bytes"},
  };
  for (const auto& malformed : cases) {
    SCOPED_TRACE(malformed.error);
    CommandLog log;
    EXPECT_EQ(Parse(malformed.text, log), malformed.error);
  }
}

TEST(CommandLog, QuotesAtMostAShortEscapedPrefixOfABadField) {
  CommandLog log;
  EXPECT_EQ(Parse("E,1\x1B[2J\\" + std::string(100, '9'), log),
            "1: COMMAND '1\\x1B[2J\\x5C99999999999999999999999999...' is not a signed 32-bit decimal number");
}

TEST(CommandLog, RefusesAFolderOrAMissingFileAsUnreadable) {
  TempFolder folder;
  for (const std::string& path : {folder.Path(), folder.File("missing.txt")}) {
    SCOPED_TRACE(path);
    CommandLog log;
    std::string message;
    EXPECT_EQ(ReadCommandLog(path, log, message), LogReadStatus::kCannotRead);
    EXPECT_EQ(message.rfind(path + ": cannot read the log: ", 0), 0U) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace cmdpredict::cli
