// The tool on Windows: its arguments come from the UTF-16 command line and its output keeps LF.
#include <gtest/gtest.h>

#include <string>

#include "platform/env.h"
#include "testing/process.h"
#include "testing/temp_folder.h"

namespace cmdpredict::cli {
namespace {

TEST(WindowsTool, TracesALogWhoseNameIsNotAsciiWithLfLineEnds) {
  TempFolder folder;
  const std::string log = folder.File(u8"\u00DCbung.csv");
  ASSERT_TRUE(SystemEnv().ReplaceFile(log, "E,1\nE,1\n"));
  const CommandRun run = RunCommand(CMDPREDICT_CLI_PATH,
                                    "replay --no-save --trace --app-data " + folder.File("app") + " " + log);
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]]}\n"
            "{\"line\":2,\"env\":\"E\",\"command\":1,\"result\":1,\"predictions\":[[1,1.0]]}\n");
}

}  // namespace
}  // namespace cmdpredict::cli
