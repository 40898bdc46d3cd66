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

TEST_F(ReplayTool, TracesEveryEventAndSavesOneModelFilePerEnvironment) {
  const ToolRun run = Replay("--trace " + WriteLog("E,1\nE,2\n# comment\nE,1\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "{\"line\":1,\"env\":\"E\",\"command\":1,\"result\":0,\"predictions\":[[1,1.0]]}\n"
            "{\"line\":2,\"env\":\"E\",\"command\":2,\"result\":0,\"predictions\":[[2,0.5],[1,0.5]]}\n"
            "{\"line\":4,\"env\":\"E\",\"command\":1,\"result\":0,"
            "\"predictions\":[[2,0.7777777777777778],[1,0.2222222222222222]]}\n");
  EXPECT_EQ(ReadFile(ModelFile("E.ContextTree")),
            "{\"i\":0,\"f\":0.0,\"c\":[{\"i\":1,\"f\":2.0,\"c\":[{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,\"c\":[]}]}]},"
            "{\"i\":2,\"f\":1.0,\"c\":[{\"i\":1,\"f\":1.0,\"c\":[]}]}],\"schema\":\"concise\",\"version\":\"1.0\","
            "\"release\":\"221.0.0.0\",\"d\":100,\"encodings\":[\"\",\"1\",\"2\"]}");
}

TEST_F(ReplayTool, ContinuesFromTheModelsOfAnEarlierRunAndScoresIt) {
  ASSERT_EQ(Replay(WriteLog("E,1\nE,2\n")).status, 0);
  const ToolRun run = Replay("--no-learn --no-save --eval " + WriteLog("E,1\nE,2\n"));
  ASSERT_EQ(run.status, 0) << run.err;
  // Nothing learnt, but predicted from the saved model: after 1 comes 2.
  EXPECT_NE(run.out.find("events              2\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("hit rate @1         50.0%  (1)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("models written      none (--no-save)"), std::string::npos) << run.out;
}

TEST_F(ReplayTool, RefusesMalformedLogsAndBadOptionsBeforeTouchingAnything) {
  const std::string log = WriteLog("E,1\nE,two\n");
  const ToolRun run = Replay("--trace " + log);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind(log + ":2: ", 0), 0U) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string good = WriteLog("E,1\n");
  for (const std::string& arguments : {"--history many " + good, "--unknown " + good, std::string()}) {
    EXPECT_EQ(Replay(arguments).status, 2) << arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("app")));
}

}  // namespace
