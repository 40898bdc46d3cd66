// Runs the cmdpredict program itself and collects its standard output, standard error and exit
// status, so that tool tests compare all three.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/paths.h"
#include "testing/process.h"
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

// The reason the tool gives for a path that does not exist: the C library's text for the error
// that the system reports for it, which differs between systems.
inline std::string NoSuchFileText() { return std::generic_category().message(ENOENT); }

// The model folder of the application-data folder "app" and a file in it, as the tool names them:
// joined with the system's path separator.
inline std::string AppModelFolder() { return std::string("app") + kPathSeparator + "ModelPrediction"; }
inline std::string AppModelFile(const std::string& name) { return AppModelFolder() + kPathSeparator + name; }

// A folder for a test's files and runs of the tool with the folder as its working directory.
class ToolTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder.File(name), std::ios::binary) << text;
    return folder.File(name);
  }

  // `arguments` are appended to the program's path as words of the command interpreter; the file
  // `inputFile` (empty: an empty file) becomes standard input.
  ToolRun RunTool(const std::string& arguments, const std::string& inputFile = std::string()) {
    const std::string input = inputFile.empty() ? Write("empty-input.txt", "") : inputFile;
    const CommandRun command =
        RunCommand(CMDPREDICT_CLI_PATH, arguments + " 2>" + folder.File("stderr.txt"), folder.Path(), input);
    ToolRun run;
    run.status = command.status;
    run.out = command.out;
    run.err = ReadWholeFile(folder.File("stderr.txt"));
    return run;
  }

  TempFolder folder;
};

}  // namespace cmdpredict::cli
