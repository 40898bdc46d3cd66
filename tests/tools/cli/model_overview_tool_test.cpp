// Runs `cmdpredict inspect` on models that a replay wrote and on damaged ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class InspectTool : public ToolTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunTool("replay --app-data app " + Write("log.txt", "E,1\nE,2\nE,1\nE,3\nE,1\nE,2\n")).status,
              0);
  }
};

TEST_F(InspectTool, DescribesEachModelOfAnApplicationDataFolder) {
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

TEST_F(InspectTool, ReportsWhatLoadingADamagedFileWouldDoWithoutChangingIt) {
  const std::string damaged =
      "{\"i\":0,\"f\":0.0,\"c\":[{\"i\":1,\"f\":\"x\",\"c\":[]}],\"schema\":\"concise\","
      "\"version\":\"1.0\",\"d\":100,\"encodings\":[\"\",\"7\"]}";
  // Named as given, so the name needs no escaping in the JSON output.
  const std::string named = "app/ModelPrediction/D.ContextTree";
  const std::string file = Write(named, damaged);
  const ToolRun run = RunTool("inspect --json --top 1 " + named);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"models\":[{\"file\":\"" + named +
                "\",\"load\":{\"json\":true,\"severity\":1,\"backup\":true},"
                "\"version\":\"1.0\",\"depth\":100,\"nodes\":1,\"distinct_commands\":1,\"total_count\":0.0,"
                "\"most_frequent\":[[\"7\",0.0]],\"strongest_contexts\":[]}]}\n");
  EXPECT_EQ(ReadWholeFile(file), damaged);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("app/ModelPrediction")),
                          std::filesystem::directory_iterator()),
            2);
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
