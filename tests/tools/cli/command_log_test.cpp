#include "command_log.h"

#include <gtest/gtest.h>

#include <string>

namespace cmdpredict::cli {
namespace {

TEST(CommandLog, ReadsEventsSkippingBlankAndCommentLines) {
  CommandLog log;
  std::string error;
  ASSERT_TRUE(ParseCommandLog("# header\n\nE1,100\r\n\r\n E ,-7,1\nE1,2147483647,4294967295\n,5", log, error)) << error;
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
  };
  for (const auto& malformed : cases) {
    CommandLog log;
    std::string error;
    EXPECT_FALSE(ParseCommandLog(malformed.text, log, error));
    EXPECT_EQ(error, malformed.error);
  }
}

}  // namespace
}  // namespace cmdpredict::cli
