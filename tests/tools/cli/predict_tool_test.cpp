// Runs `cmdpredict predict` on models that a replay wrote.
#include <gtest/gtest.h>

#include <string>

#include "predict.h"
#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class PredictTool : public ToolTest {
 protected:
  void SetUp() override {
    const ToolRun replay = Replay("--trace", "E,1\nE,2\nE,1\nE,1\nE,3\nE,2\n");
    ASSERT_EQ(replay.status, 0) << replay.err;
    lastTraceLine = replay.out.substr(replay.out.rfind("{\"line\""));
  }

  std::string lastTraceLine;
};

TEST_F(PredictTool, GivesTheListTheReplayEndedWithAfterTheSameCommands) {
  const ToolRun run = RunTool("predict --app-data app --env E --json 1 3 2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string predictions = lastTraceLine.substr(lastTraceLine.find("\"predictions\""));
  EXPECT_EQ(run.out, "{\"env\":\"E\",\"history\":[2]," + predictions) << lastTraceLine;
}

TEST_F(PredictTool, PrintsTheRankedListAsText) {
  const ToolRun run = RunTool("predict --app-data app --env E --history 2 --predictions 2 3 2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "history 3 2\n"
            "  1            1  0.800000\n"
            "  2            2  0.133333\n");
}

TEST_F(PredictTool, ChangesNoFile) {
  const std::string model = ReadWholeFile(ModelFile("E.ContextTree"));
  ASSERT_EQ(RunTool("predict --app-data app --env E 3 2").status, 0);
  EXPECT_EQ(ModelFileCount(), 1);
  EXPECT_EQ(ReadWholeFile(ModelFile("E.ContextTree")), model);
}

TEST_F(PredictTool, RefusesAMissingModelWithStatusOne) {
  const ToolRun run = RunTool("predict --app-data app --env X 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, AppModelFile("X.ContextTree") + ": cannot read the model: " + NoSuchFileText() + "\n");
}

TEST_F(PredictTool, RefusesAnUnusableModelWithStatusTwoAndBacksNothingUp) {
  Write("app/ModelPrediction/Y.ContextTree", "not json");
  const ToolRun run = RunTool("predict --app-data app --env Y 1");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, AppModelFile("Y.ContextTree") + ": not a usable model file (see cmdpredict inspect)\n");
  EXPECT_EQ(ModelFileCount(), 2);
}

TEST(PredictHistory, DropsZerosAndRepeatsAsTheLatestCommandListDoes) {
  EXPECT_EQ(HistoryAfter({1, 0, 2, 2, 0, 2, 3}, 3), (std::vector<LONG>{1, 2, 3}));
}

TEST(PredictHistory, KeepsOnlyTheNewestCommands) {
  EXPECT_EQ(HistoryAfter({1, 2, 3}, 2), (std::vector<LONG>{2, 3}));
  EXPECT_EQ(HistoryAfter({1, 2, 3}, 0), std::vector<LONG>{});
}

}  // namespace
}  // namespace cmdpredict::cli
