// Runs `cmdpredict replay` on small logs and checks its output, messages, status and files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

using ReplayTool = ToolTest;

TEST_F(ReplayTool, TracesEachEventWithTheListAfterIt) {
  const ToolRun run = Replay("--trace", "E,1\nE,2\n# comment\nE,1\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]]}\n"
            "{\"line\":2,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]]}\n"
            "{\"line\":4,\"env\":\"E\",\"command\":1,\"result\":0,"
            "\"predictions\":[[2,0.7777777777777778],[1,0.2222222222222222]]}\n");
}

TEST_F(ReplayTool, TraceScoredAddsTheListScoredBeforeEachEvent) {
  const std::string out = Replay("--trace-scored", "E,1\nF,7\nE,2\n").out;
  EXPECT_EQ(out.substr(out.rfind("{\"line\":3,")),
            "{\"line\":3,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]],"
            "\"scored\":[[1,1.0]]}\n");
}

// Even when a model file exists: the manager loads an environment's model at its first event.
TEST_F(ReplayTool, TraceScoredListsNothingBeforeAnEnvironmentsFirstEvent) {
  ASSERT_EQ(Replay("", "E,1\nE,2\n").status, 0);
  const std::string line = Replay("--trace-scored --no-save", "E,1\n").out;
  EXPECT_EQ(line.substr(line.find(",\"scored\"")), ",\"scored\":[]}\n");
}

TEST_F(ReplayTool, SavesEachEnvironmentsModelAtTheEnd) {
  ASSERT_EQ(Replay("", "E,1\nE,2\nE,1\n").status, 0);
  const std::string twoThenOne = Node(2, "1.0", Node(1, "1.0"));
  EXPECT_EQ(ReadWholeFile(ModelFile("E.ContextTree")),
            ModelText(Node(1, "2.0", twoThenOne) + "," + twoThenOne, 100, "\"\",\"1\",\"2\""));
}

TEST_F(ReplayTool, DepthSetsTheDepthOfEveryModel) {
  ASSERT_EQ(Replay("--depth 1", "E,1\nE,2\nE,1\n").status, 0);
  EXPECT_EQ(ReadWholeFile(ModelFile("E.ContextTree")),
            ModelText(Node(1, "2.0") + "," + Node(2, "1.0"), 1, "\"\",\"1\",\"2\""));
}

TEST_F(ReplayTool, EvalSaysItStartsFromTheExistingModels) {
  ASSERT_EQ(Replay("", "E,1\n").status, 0);
  const ToolRun run = Replay("--no-save --eval", "E,1\nF,2\n");
  EXPECT_EQ(run.err, "cmdpredict: --eval starts from the existing models of 1 of 2 environments in " +
                         AppModelFolder() + "\n");
}

TEST_F(ReplayTool, EvalScoresTheLibraryAndTheBaselinesInOneTable) {
  ASSERT_EQ(Replay("", "E,1\nE,2\n").status, 0);
  const ToolRun run = Replay("--no-learn --no-save --eval", "E,1\nE,2\nE,2\n");
  ASSERT_EQ(run.status, 0) << run.err;
  // Nothing learnt, but predicted from the saved model: after 1 comes 2, and 2 after 2.
  EXPECT_EQ(run.out.substr(0, run.out.find("latency")),
            "events              3 (2 not repeating the previous command)\n"
            "environments        1\n"
            "                    all events                              non-repeat events\n"
            "predictor           @1     @3     @5     @10    MRR      @1     @3     @5     @10    MRR\n"
            "cmdpredict          66.7%  66.7%  66.7%  66.7%  0.6667   50.0%  50.0%  50.0%  50.0%  0.5000\n"
            "recent              33.3%  33.3%  33.3%  33.3%  0.3333   0.0%   0.0%   0.0%   0.0%   0.0000\n"
            "frequent            33.3%  33.3%  33.3%  33.3%  0.3333   0.0%   0.0%   0.0%   0.0%   0.0000\n"
            "transition          0.0%   0.0%   0.0%   0.0%   0.0000   0.0%   0.0%   0.0%   0.0%   0.0000\n");
  EXPECT_NE(run.out.find("models written      none (--no-save)\n"), std::string::npos) << run.out;
}

TEST_F(ReplayTool, EvalWithoutAppDataSaysItLearnsFromScratch) {
  const ToolRun run = RunTool("replay --eval " + Write("log.txt", "E,1\n"));
  EXPECT_EQ(run.err.rfind("cmdpredict: --eval without --app-data: learning from scratch in ", 0), 0U)
      << run.err;
}

// A second run scores as the first: its library hits start from nothing again.
TEST_F(ReplayTool, EvalWithoutAppDataStartsFromNothingEveryTime) {
  const std::string log = Write("log.txt", "E,1\nE,2\n");
  ASSERT_EQ(RunTool("replay --eval --json " + log).status, 0);
  const std::string second = RunTool("replay --eval --json " + log).out;
  EXPECT_EQ(second.rfind("{\"summary\":{\"events\":2,\"hits\":{\"1\":0,\"3\":0,\"5\":0,\"10\":0},", 0), 0U)
      << second;
}

TEST_F(ReplayTool, RefusesWhatItCannotReadWithStatusOne) {
  Write("log.txt", "E,1\n");
  std::filesystem::create_directory(folder.File("folder"));
  const struct {
    const char* name;
    std::string arguments;
    std::string err;
  } cases[] = {
      {"missing log", "missing.txt", "missing.txt: cannot read the log: " + NoSuchFileText()},
      {"folder as log", "folder", "folder: cannot read the log: it is a folder"},
      {"missing exclusion list", "--exclude-training none.txt log.txt",
       "none.txt: cannot read the training-exclusion list: " + NoSuchFileText()},
  };
  for (const auto& refused : cases) {
    SCOPED_TRACE(refused.name);
    const ToolRun run = RunTool("replay --app-data app " + refused.arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, refused.err + "\n");
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(ReplayTool, RefusesAMalformedLogBeforeReplayingAnything) {
  const ToolRun run = Replay("--trace", "E,1\nE,two\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, folder.File("log.txt") + ":2: COMMAND 'two' is not a signed 32-bit decimal number\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
}

TEST_F(ReplayTool, RefusesAUsageErrorWithStatusTwoBeforeTouchingAnything) {
  const std::string log = Write("log.txt", "E,1\n");
  const struct {
    const char* name;
    std::string arguments;
  } cases[] = {
      {"unknown option", "--unknown " + log},
      {"--json without --eval", "--json " + log},
      {"depth 0", "--depth 0 " + log},
  };
  for (const auto& refused : cases) {
    SCOPED_TRACE(refused.name);
    EXPECT_EQ(RunTool("replay --app-data app " + refused.arguments).status, 2);
    EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
  }
}

TEST_F(ReplayTool, PrintsItsVersion) {
  const ToolRun run = RunTool("--version");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string("cmdpredict ") + CMDPREDICT_VERSION + "\n");
}

// A folder standing where E1's model file goes: E1 is not saved, E2 is.
class ReplayWithAModelItCannotSave : public ToolTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(ModelFile("E1.ContextTree"));
    run = Replay("--eval", "E1,1\nE2,2\n");
  }
  ToolRun run;
};

TEST_F(ReplayWithAModelItCannotSave, WarnsOfTheModelNotSaved) {
  // After the warning that the folder could not be loaded as a model file.
  EXPECT_NE(run.err.find("\ncmdpredict: warning: model not saved: " + AppModelFile("E1.ContextTree") + ": "),
            std::string::npos)
      << run.err;
}

TEST_F(ReplayWithAModelItCannotSave, ExitsWithStatusOne) { EXPECT_EQ(run.status, 1); }

TEST_F(ReplayWithAModelItCannotSave, CountsOnlyTheModelsItSaved) {
  EXPECT_NE(run.out.find("models written      1 in"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::is_regular_file(ModelFile("E2.ContextTree")));
}

}  // namespace
}  // namespace cmdpredict::cli
