// Runs `cmdpredict inspect` on models that a replay wrote and on damaged ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

using InspectTool = ToolTest;

TEST_F(InspectTool, DescribesEachModelOfAnApplicationDataFolder) {
  ASSERT_EQ(Replay("", "E,1\nE,2\nE,1\nE,3\nE,1\nE,2\n").status, 0);
  const ToolRun run = RunTool("inspect --top 3 app");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, AppModelFile("E.ContextTree") +
                         "\n"
                         "  load               loads fully\n"
                         "  version            1.0\n"
                         "  depth              100\n"
                         "  nodes              17\n"
                         "  distinct commands  3\n"
                         "  total count        6.0\n"
                         "  most frequent\n"
                         "    \"1\"  3.0\n"
                         "    \"2\"  2.0\n"
                         "    \"3\"  1.0\n"
                         "  strongest contexts\n"
                         "    \"1\" -> \"2\"  2.0 (0.6666666666666666)\n"
                         "    \"1\" \"2\" -> \"1\"  1.0 (1.0)\n"
                         "    \"1\" \"2\" \"1\" -> \"3\"  1.0 (1.0)\n");
}

// A frequency that is not a number: loading repairs the file and backs it up.
class InspectDamagedModel : public ToolTest {
 protected:
  // Named as given, so the name needs no escaping in the JSON output.
  const std::string named = "app/ModelPrediction/D.ContextTree";
  const std::string damaged = ModelText(Node(1, "\"x\""), 100, "\"\",\"7\"");
  void SetUp() override {
    std::filesystem::create_directories(folder.File("app/ModelPrediction"));
    Write(named, damaged);
  }
};

TEST_F(InspectDamagedModel, ReportsWhatLoadingItWouldDo) {
  const ToolRun run = RunTool("inspect --json --top 1 " + named);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"models\":[{\"file\":\"" + named +
                "\",\"load\":{\"json\":true,\"severity\":1,\"backup\":true},"
                "\"version\":\"1.0\",\"depth\":100,\"nodes\":1,\"distinct_commands\":1,\"total_count\":0.0,"
                "\"most_frequent\":[[\"7\",0.0]],\"strongest_contexts\":[]}]}\n");
}

TEST_F(InspectDamagedModel, LeavesItAsItIsWithoutABackup) {
  ASSERT_EQ(RunTool("inspect " + named).status, 0);
  EXPECT_EQ(ReadWholeFile(folder.File(named)), damaged);
  EXPECT_EQ(ModelFileCount(), 1);
}

TEST_F(InspectTool, RefusesAPathWithoutModelsWithStatusOne) {
  std::filesystem::create_directory(folder.File("empty"));
  const ToolRun run = RunTool("inspect empty");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "empty: cannot inspect: no model files (*.ContextTree) in empty\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace cmdpredict::cli
