// `cmdpredict replay` given a device, which POSIX systems name as files (/dev/zero).
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

using ReplayToolOnDevices = ToolTest;

TEST_F(ReplayToolOnDevices, RefusesADeviceNamedAsTheLog) {
  const ToolRun run = RunTool("replay /dev/zero");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "/dev/zero: cannot read the log: it is a device, not a file\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(ReplayToolOnDevices, StopsAnEndlessStandardInputAtTheLineBound) {
  const ToolRun run = RunTool("replay --no-save -", "/dev/zero");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "-:1: the line is longer than 65536 bytes\n");
}

}  // namespace
}  // namespace cmdpredict::cli
