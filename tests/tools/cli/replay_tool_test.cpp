// Runs the cmdpredict program itself on small logs and checks its output, status and files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "testing/temp_folder.h"

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class ReplayTool : public ::testing::Test {
 protected:
  std::string WriteLog(const std::string& text) {
    std::ofstream(folder.File("log.txt"), std::ios::binary) << text;
    return folder.File("log.txt");
  }

  ToolRun Replay(const std::string& arguments) {
    const std::string command = std::string(CMDPREDICT_CLI_PATH) + " replay --app-data " + folder.File("app") + " " +
                                arguments + " 2>" + folder.File("stderr.txt");
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
    run.status = WEXITSTATUS(pclose(pipe));
    run.err = ReadFile(folder.File("stderr.txt"));
    return run;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string ModelFile(const std::string& name) { return folder.File("app/ModelPrediction/" + name); }

  cmdpredict::TempFolder folder;
};

TEST_F(ReplayTool, TracesEveryEventWithItsPredictions) {
  const ToolRun run = Replay("--trace " + WriteLog("E,1\nE,2\n# comment\nE,1\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]]}\n"
            "{\"line\":2,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]]}\n"
            "{\"line\":4,\"env\":\"E\",\"command\":1,\"result\":0,"
            "\"predictions\":[[2,0.7777777777777778],[1,0.2222222222222222]]}\n");
}

TEST_F(ReplayTool, SavesOneModelFilePerEnvironment) {
  ASSERT_EQ(Replay(WriteLog("E,1\nE,2\nE,1\n")).status, 0);
  EXPECT_EQ(ReadFile(ModelFile("E.ContextTree")),
            "{\"i\":0,\"f\":0.0,\"c\":[{\"i\":1,\"f\":2.0,\"c\":[{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,\"c\":[]}]}]},"
            "{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,\"c\":[]}]}],\"schema\":\"concise\",\"version\":\"1.0\","
            "\"release\":\"221.0.0.0\",\"d\":100,\"encodings\":[\"\",\"1\",\"2\"]}");
}

TEST_F(ReplayTool, ContinuesFromTheModelsOfAnEarlierRun) {
  ASSERT_EQ(Replay(WriteLog("E,1\nE,2\n")).status, 0);
  const ToolRun run = Replay("--trace --no-learn " + WriteLog("E,1\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  // Not learnt, but predicted from the saved model: after 1 comes 2.
  EXPECT_EQ(run.out, "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[2,0.8333333333333334],"
                     "[1,0.16666666666666666]]}\n");
}

TEST_F(ReplayTool, NoSaveWritesNoModel) {
  ASSERT_EQ(Replay("--no-save " + WriteLog("E,1\n")).status, 0);
  EXPECT_FALSE(std::filesystem::exists(ModelFile("E.ContextTree")));
}

TEST_F(ReplayTool, EvalPrintsASummary) {
  const ToolRun run = Replay("--eval " + WriteLog("E,1\nE,2\nE,1\nE,2\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("events              4\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("hit rate @1         25.0%  (1)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("models written      1 in "), std::string::npos) << run.out;
}

TEST_F(ReplayTool, RefusesAMalformedLogBeforeReplayingAnything) {
  const std::string log = WriteLog("E,1\nE,two\n");
  const ToolRun run = Replay("--trace " + log);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind(log + ":2: ", 0), 0U) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
}

TEST_F(ReplayTool, TreatsBadOptionsAsUsageErrors) {
  const std::string log = WriteLog("E,1\n");
  EXPECT_EQ(Replay("--history many " + log).status, 2);
  EXPECT_EQ(Replay("--unknown " + log).status, 2);
  EXPECT_EQ(Replay("").status, 2);
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
}

}  // namespace
