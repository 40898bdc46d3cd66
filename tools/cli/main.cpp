// cmdpredict: the command-line tool of the cmdpredict library. Parses the command line and hands
// the work to the replay; usage errors and malformed logs exit with status 2.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "command_log.h"
#include "platform/paths.h"
#include "replay.h"

namespace {

constexpr int kUsageError = 2;

// $XDG_DATA_HOME/cmdpredict/, or ~/.local/share/cmdpredict/.
std::string DefaultAppData() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::string(data) + "/cmdpredict/";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.local/share/cmdpredict/";
}

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != cmdpredict::kPathSeparator) folder.push_back(cmdpredict::kPathSeparator);
  return folder;
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

void AddReplayOptions(CLI::App& replay, std::string& logPath, cmdpredict::cli::ReplayOptions& options) {
  replay.add_option("LOG", logPath, "Command log: lines ENV,COMMAND[,RUNKIND]; '#' starts a comment line")
      ->required();
  replay.add_option("--app-data", options.appData,
                    "Application-data folder; models live in its sub-folder ModelPrediction")
      ->default_str("$XDG_DATA_HOME/cmdpredict/ or ~/.local/share/cmdpredict/");
  replay.add_option("--history", options.history, "Latest commands used as the prediction history")
      ->capture_default_str();
  replay.add_option("--max-history", options.maxHistory, "Latest commands kept per environment (negative: no limit)")
      ->capture_default_str();
  replay.add_option("--predictions", options.predictions, "Predictions per environment (0 or less: all)")
      ->capture_default_str();
  replay.add_flag("--no-learn", [&options](std::int64_t) { options.learn = false; }, "Do not train the models");
  replay.add_flag("--trace", options.trace, "Print one JSON line with the predictions after every event");
  replay.add_flag("--eval", options.eval, "Score the predictions against the commands that follow");
  replay.add_flag("--no-save", [&options](std::int64_t) { options.save = false; }, "Do not save the models");
  replay.add_option("--exclude-training", options.excludeTraining,
                    "File of commands excluded from training (repeatable, loaded in order)");
  replay.add_option("--user-excluded", options.userExcluded, "File of user-excluded commands to load");
  replay.add_option("--save-user-excluded", options.saveUserExcluded,
                    "Write the user-excluded commands to this file after the replay");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"cmdpredict: learns which commands follow which and predicts the next one"};
  app.require_subcommand(1);
  std::string logPath;
  cmdpredict::cli::ReplayOptions options;
  CLI::App* replay = app.add_subcommand("replay", "Replay a command log through the prediction manager as a host does");
  AddReplayOptions(*replay, logPath, options);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return kUsageError;
  }

  std::string text;
  if (!ReadFile(logPath, text)) {
    std::fprintf(stderr, "%s: cannot read the log\n", logPath.c_str());
    return kUsageError;
  }
  cmdpredict::cli::CommandLog log;
  std::string error;
  if (!cmdpredict::cli::ParseCommandLog(text, log, error)) {
    std::fprintf(stderr, "%s:%s\n", logPath.c_str(), error.c_str());
    return kUsageError;
  }
  options.appData = WithTrailingSeparator(options.appData.empty() ? DefaultAppData() : options.appData);
  try {
    return cmdpredict::cli::Replay(options, log, stdout);
  } catch (const std::range_error& badName) {
    std::fprintf(stderr, "cmdpredict: a folder or file name is not valid UTF-8 (%s)\n", badName.what());
    return kUsageError;
  }
}
