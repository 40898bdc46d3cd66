// Runs `cmdpredict stats` on a small log.
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class StatsTool : public ToolTest {};

TEST_F(StatsTool, CountsEventsEnvironmentsCommandsAndRepeats) {
  const std::string log = Write("log.txt", "A,1\nB,1\nA,1\nA,2\n# c\nB,3\nA,2\nA,1\n");
  const ToolRun text = RunTool("stats " + log);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out,
            "total  2 environments, 7 events, 3 distinct commands, 28.6% repeats\n"
            "\"A\"  5 events, 2 distinct commands, 40.0% repeats\n"
            "\"B\"  2 events, 2 distinct commands, 0.0% repeats\n");
  const ToolRun json = RunTool("stats --json " + log);
  EXPECT_EQ(
      json.out,
      "{\"events\":7,\"distinct_commands\":3,\"repeats\":2,\"repeat_share\":0.2857142857142857,"
      "\"environments\":2,\"per_env\":[{\"env\":\"A\",\"events\":5,\"distinct_commands\":2,\"repeats\":2,"
      "\"repeat_share\":0.4},{\"env\":\"B\",\"events\":2,\"distinct_commands\":2,\"repeats\":0,"
      "\"repeat_share\":0.0}]}\n");
}

}  // namespace
}  // namespace cmdpredict::cli
