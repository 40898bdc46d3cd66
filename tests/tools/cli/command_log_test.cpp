#include "command_log.h"

#include <gtest/gtest.h>

#include <string>

namespace cmdpredict::cli {
namespace {

std::string ErrorOf(const std::string& text) {
  CommandLog log;
  std::string error;
  EXPECT_FALSE(ParseCommandLog(text, log, error)) << text;
  return error;
}

TEST(CommandLog, ReadsEventsWithAndWithoutRunKind) {
  CommandLog log;
  std::string error;
  ASSERT_TRUE(ParseCommandLog("E1,100\nE2,-7,1\nE1,2147483647,4294967295\n,5\n", log, error)) << error;
  ASSERT_EQ(log.events.size(), 4U);
  EXPECT_EQ(log.environments, (std::vector<std::string>{"E1", "E2", ""}));
  EXPECT_EQ(log.events[1].command, -7);
  EXPECT_EQ(log.events[1].runKind, 1U);
  EXPECT_EQ(log.events[2].environment, 0U);
  EXPECT_EQ(log.events[2].command, 2147483647);
  EXPECT_EQ(log.events[2].runKind, 4294967295U);
  EXPECT_EQ(log.events[0].runKind, 0U);
  EXPECT_EQ(log.events[3].environment, 2U);
}

TEST(CommandLog, SkipsBlankAndCommentLinesButCountsThem) {
  CommandLog log;
  std::string error;
  ASSERT_TRUE(ParseCommandLog("# header\n\nE,1\r\n\r\n#E,2\nE,3", log, error)) << error;
  ASSERT_EQ(log.events.size(), 2U);
  EXPECT_EQ(log.events[0].line, 3U);
  EXPECT_EQ(log.events[1].line, 6U);
  EXPECT_EQ(log.events[1].command, 3);
}

TEST(CommandLog, KeepsEnvironmentNamesExactly) {
  CommandLog log;
  std::string error;
  ASSERT_TRUE(ParseCommandLog(" E ,1\n\xC3\x89" "dition,2\nE,3\n", log, error)) << error;
  EXPECT_EQ(log.environments, (std::vector<std::string>{" E ", "\xC3\x89" "dition", "E"}));
}

TEST(CommandLog, ReportsTheFirstMalformedLineByNumber) {
  EXPECT_EQ(ErrorOf("E,1\nE\nE,x").substr(0, 3), "2: ");
  EXPECT_EQ(ErrorOf("E,1,0,0\n").substr(0, 3), "1: ");
}

TEST(CommandLog, RefusesNumbersThatAreNotExactly32BitDecimals) {
  for (const char* line : {"E,", "E,x1", "E,1x", "E, 1", "E,+1", "E,2147483648", "E,-2147483649", "E,1.0"}) {
    EXPECT_NE(ErrorOf(line).find("COMMAND"), std::string::npos) << line;
  }
  for (const char* line : {"E,1,", "E,1,-1", "E,1,4294967296", "E,1,one"}) {
    EXPECT_NE(ErrorOf(line).find("RUNKIND"), std::string::npos) << line;
  }
}

TEST(CommandLog, RefusesEnvironmentNamesThatAreNotValidUtf8) {
  for (const char* line : {"\xC0\x80,1", "\xED\xA0\x80,1", "\xF4\x90\x80\x80,1", "E\xE4\xB8,1"}) {
    EXPECT_NE(ErrorOf(line).find("UTF-8"), std::string::npos);
  }
  EXPECT_NE(ErrorOf(std::string("E\0F,1", 5)).find("NUL"), std::string::npos);
}

}  // namespace
}  // namespace cmdpredict::cli
