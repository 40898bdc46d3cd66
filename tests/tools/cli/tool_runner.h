// Runs the cmdpredict program itself and collects its standard output, standard error and exit
// status, so that tool tests compare all three. POSIX-only (a shell runs the program).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "testing/temp_folder.h"

namespace cmdpredict::cli {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder for a test's files and runs of the tool with the folder as its working directory.
class ToolTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder.File(name), std::ios::binary) << text;
    return folder.File(name);
  }

  // `arguments` are appended to the program's path as shell words; `input` becomes standard input.
  ToolRun RunTool(const std::string& arguments, const std::string& input = "/dev/null") {
    const std::string command = "cd " + folder.Path() + " && " + CMDPREDICT_CLI_PATH + " " + arguments +
                                " <" + input + " 2>" + folder.File("stderr.txt");
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      run.out.append(buffer, got);
    run.status = WEXITSTATUS(pclose(pipe));
    run.err = ReadWholeFile(folder.File("stderr.txt"));
    return run;
  }

  TempFolder folder;
};

}  // namespace cmdpredict::cli
