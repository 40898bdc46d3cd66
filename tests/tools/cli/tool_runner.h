// Runs the cmdpredict program itself and collects its standard output, standard error and exit
// status, so that tool tests compare all three.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
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

// One node of a model file, with its children.
inline std::string Node(int item, const std::string& frequency, const std::string& children = "") {
  return "{\"i\":" + std::to_string(item) + ",\"f\":" + frequency + ",\"c\":[" + children + "]}";
}

// The text of a model file as the library writes it: the root's children, the depth and the item
// texts by code.
inline std::string ModelText(const std::string& children, int depth, const std::string& encodings) {
  return "{\"i\":0,\"f\":0.0,\"c\":[" + children +
         "],\"schema\":\"concise\",\"version\":\"1.0\",\"release\":\"221.0.0.0\",\"d\":" +
         std::to_string(depth) + ",\"encodings\":[" + encodings + "]}";
}

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
    return ToolRun{command.status, command.out, ReadWholeFile(folder.File("stderr.txt"))};
  }

  // Replays the log text with the application-data folder "app".
  ToolRun Replay(const std::string& arguments, const std::string& log) {
    return RunTool("replay --app-data app " + arguments + " " + Write("log.txt", log));
  }

  std::string ModelFile(const std::string& name) { return folder.File("app/ModelPrediction/" + name); }

  std::ptrdiff_t ModelFileCount() {
    const std::filesystem::directory_iterator models(folder.File("app/ModelPrediction"));
    return std::distance(models, std::filesystem::directory_iterator());
  }

  TempFolder folder;
};

}  // namespace cmdpredict::cli
