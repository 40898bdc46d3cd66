// Runs `cmdpredict replay` on small logs and checks its output, messages, status and files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class ReplayTool : public ToolTest {
 protected:
  std::string WriteLog(const std::string& text) { return Write("log.txt", text); }
  ToolRun Replay(const std::string& arguments) { return RunTool("replay --app-data app " + arguments); }
  std::string ModelFile(const std::string& name) { return folder.File("app/ModelPrediction/" + name); }
};

TEST_F(ReplayTool, TracesEveryEventAndSavesOneModelFilePerEnvironment) {
  const ToolRun run = Replay("--trace " + WriteLog("E,1\nE,2\n# comment\nE,1\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]]}\n"
            "{\"line\":2,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]]}\n"
            "{\"line\":4,\"env\":\"E\",\"command\":1,\"result\":0,"
            "\"predictions\":[[2,0.7777777777777778],[1,0.2222222222222222]]}\n");
  EXPECT_EQ(
      ReadWholeFile(ModelFile("E.ContextTree")),
      "{\"i\":0,\"f\":0.0,\"c\":[{\"i\":1,\"f\":2.0,\"c\":[{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,"
      "\"c\":[]}]}]},"
      "{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,\"c\":[]}]}],\"schema\":\"concise\",\"version\":\"1.0\","
      "\"release\":\"221.0.0.0\",\"d\":100,\"encodings\":[\"\",\"1\",\"2\"]}");
}

TEST_F(ReplayTool, TraceScoredAddsTheListScoredBeforeEachEvent) {
  const ToolRun run = Replay("--trace-scored " + WriteLog("E,1\nF,7\nE,2\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]],\"scored\":[]}\n"
            "{\"line\":2,\"env\":\"F\",\"command\":7,\"result\":0,\"predictions\":[[7,1.0]],\"scored\":[]}\n"
            "{\"line\":3,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]],"
            "\"scored\":[[1,1.0]]}\n");
}

TEST_F(ReplayTool, ScoresTheLibraryAndTheBaselinesInOneTable) {
  ASSERT_EQ(Replay(WriteLog("E,1\nE,2\n")).status, 0);
  const ToolRun run = Replay("--no-learn --no-save --eval " + WriteLog("E,1\nE,2\nE,2\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "cmdpredict: --eval starts from the existing models of 1 of 1 environments in " +
                         AppModelFolder() + "\n");
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

TEST_F(ReplayTool, EvalWithoutAppDataLearnsInAFreshFolderAndSaysSo) {
  const std::string log = WriteLog("E,1\nE,2\n");
  for (int run = 0; run < 2; ++run) {
    const ToolRun eval = RunTool("replay --eval --json " + log);
    ASSERT_EQ(eval.status, 0) << eval.err;
    EXPECT_EQ(eval.err.rfind("cmdpredict: --eval without --app-data: learning from scratch in ", 0), 0U)
        << eval.err;
    // The same score every time: one JSON object whose library hits start from nothing.
    EXPECT_EQ(eval.out.rfind("{\"summary\":{\"events\":2,\"hits\":{\"1\":0,\"3\":0,\"5\":0,\"10\":0},", 0),
              0U)
        << eval.out;
    EXPECT_EQ(eval.out.find('\n'), eval.out.size() - 1);
  }
}

TEST_F(ReplayTool, ExitsWithOneForAFileItCannotReadAndTwoForAMalformedLog) {
  WriteLog("E,1\n");
  const struct {
    std::string arguments;
    int status;
    std::string err;
  } cases[] = {
      {"replay missing.txt", 1, "missing.txt: cannot read the log: " + NoSuchFileText() + "\n"},
      {"replay app", 1, "app: cannot read the log: it is a folder\n"},
      {"replay --exclude-training none.txt log.txt", 1,
       "none.txt: cannot read the training-exclusion list: " + NoSuchFileText() + "\n"},
      {"stats " + Write("bad.txt", "E,1\nE,\x1B[31m"), 2,
       folder.File("bad.txt") + ":2: COMMAND '\\x1B[31m' is not a signed 32-bit decimal number\n"},
  };
  std::filesystem::create_directory(folder.File("app"));
  for (const auto& refused : cases) {
    SCOPED_TRACE(refused.arguments);
    const ToolRun run = RunTool(refused.arguments);
    EXPECT_EQ(run.status, refused.status);
    EXPECT_EQ(run.err, refused.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(ReplayTool, ReadsTheLogFromStandardInput) {
  const ToolRun run = RunTool("stats --json -", WriteLog("\xEF\xBB\xBF"
                                                         "E,1\n"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("{\"events\":1,", 0), 0U) << run.out;
  EXPECT_NE(run.out.find("{\"env\":\"E\","), std::string::npos) << run.out;
}

TEST_F(ReplayTool, RefusesMalformedLogsAndBadOptionsBeforeTouchingAnything) {
  const std::string log = WriteLog("E,1\nE,two\n");
  const ToolRun run = Replay("--trace " + log);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, log + ":2: COMMAND 'two' is not a signed 32-bit decimal number\n");
  EXPECT_EQ(run.out, "");
  const std::string good = WriteLog("E,1\n");
  for (const std::string& arguments :
       {"--history many " + good, "--unknown " + good, "--json " + good, std::string()}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Replay(arguments).status, 2);
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
}

TEST_F(ReplayTool, PrintsItsVersionAndDocumentsTheExitStatuses) {
  const ToolRun version = RunTool("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("cmdpredict ") + CMDPREDICT_VERSION + "\n");
  const ToolRun help = RunTool("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status: 0 success; 1 a file that cannot be read or written; 2 a usage error"),
            std::string::npos)
      << help.out;
}

// A folder standing where E1's model file goes: E1 is not saved, E2 is.
TEST_F(ReplayTool, WarnsCountsOnlyTheModelsSavedAndFailsWhenAModelIsNotSaved) {
  std::filesystem::create_directories(ModelFile("E1.ContextTree"));
  const ToolRun run = Replay("--eval " + WriteLog("E1,1\nE2,2\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("\ncmdpredict: warning: model not saved: " + AppModelFile("E1.ContextTree") + ": "),
            std::string::npos)
      << run.err;  // after the warning that the folder could not be loaded as a model file
  EXPECT_NE(run.out.find("models written      1 in"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::is_regular_file(ModelFile("E2.ContextTree")));
}

TEST_F(ReplayTool, DepthSetsTheModelDepthAndOutside1To128IsAUsageError) {
  const std::string log = WriteLog("E,1\nE,2\nE,1\n");
  for (const char* depth : {"0", "129"}) {
    EXPECT_EQ(Replay(std::string("--depth ") + depth + " " + log).status, 2) << depth;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
  ASSERT_EQ(Replay("--depth 1 " + log).status, 0);
  EXPECT_EQ(ReadWholeFile(ModelFile("E.ContextTree")),
            "{\"i\":0,\"f\":0.0,\"c\":[{\"i\":1,\"f\":2.0,\"c\":[]},{\"i\":2,\"f\":1.0,\"c\":[]}],"
            "\"schema\":\"concise\",\"version\":\"1.0\",\"release\":\"221.0.0.0\",\"d\":1,"
            "\"encodings\":[\"\",\"1\",\"2\"]}");
}

}  // namespace
}  // namespace cmdpredict::cli
