// Runs `cmdpredict stats` on a small log.
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class StatsTool : public ToolTest {
 protected:
  const std::string log = Write("log.txt", "A,1\nB,1\nA,1\nA,2\n# c\nB,3\nA,2\nA,1\n");
};

TEST_F(StatsTool, CountsEventsCommandsAndRepeatsInTotalAndPerEnvironment) {
  const ToolRun run = RunTool("stats " + log);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "total  2 environments, 7 events, 3 distinct commands, 28.6% repeats\n"
            "\"A\"  5 events, 2 distinct commands, 40.0% repeats\n"
            "\"B\"  2 events, 2 distinct commands, 0.0% repeats\n");
}

TEST_F(StatsTool, WritesTheCountsAsOneJsonObject) {
  const std::string perEnvironment =
      "{\"env\":\"A\",\"events\":5,\"distinct_commands\":2,\"repeats\":2,\"repeat_share\":0.4},"
      "{\"env\":\"B\",\"events\":2,\"distinct_commands\":2,\"repeats\":0,\"repeat_share\":0.0}";
  EXPECT_EQ(RunTool("stats --json " + log).out,
            "{\"events\":7,\"distinct_commands\":3,\"repeats\":2,\"repeat_share\":0.2857142857142857,"
            "\"environments\":2,\"per_env\":[" +
                perEnvironment + "]}\n");
}

TEST_F(StatsTool, ReadsTheLogFromStandardInput) {
  const ToolRun run = RunTool("stats --json -", log);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, RunTool("stats --json " + log).out);
}

}  // namespace
}  // namespace cmdpredict::cli
