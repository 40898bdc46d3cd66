// cmdpredict: the command-line tool of the cmdpredict library. Parses the command line and hands
// the work to the subcommand's file; the exit statuses are those of exit_status.h.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cmdpredict/cmdpredict.h"
#include "command_log.h"
#include "console.h"
#include "exit_status.h"
#include "model_overview.h"
#include "platform/paths.h"
#include "predict.h"
#include "replay.h"
#include "stats.h"

namespace {

using namespace cmdpredict::cli;

constexpr const char* kExitStatusHelp =
    "Exit status: 0 success; 1 a file that cannot be read or written; 2 a usage error, a malformed log "
    "or an unusable model file.";
constexpr const char* kLogHelp =
    "Command log: lines ENV,COMMAND[,RUNKIND]; '#' starts a comment line; '-' reads standard input";

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != cmdpredict::kPathSeparator)
    folder.push_back(cmdpredict::kPathSeparator);
  return folder;
}

// Reads the log, or prints why it cannot and returns the exit status in `status`.
bool ReadLog(const std::string& path, CommandLog& log, int& status) {
  std::string message;
  const LogReadStatus read = ReadCommandLog(path, log, message);
  if (read == LogReadStatus::kRead) return true;
  std::fprintf(stderr, "%s\n", message.c_str());
  status = read == LogReadStatus::kCannotRead ? kExitFileError : kExitUsageError;
  return false;
}

struct ReplayCommand {
  std::string logPath;
  ReplayOptions options;

  void AddTo(CLI::App& parent) {
    CLI::App& replay = *parent.add_subcommand(
        "replay", "Replay a command log through the prediction manager as a host does");
    replay.add_option("LOG", logPath, kLogHelp)->required();
    replay.add_option(
        "--app-data", options.appData,
        std::string("Application-data folder; models live in its sub-folder ModelPrediction (default ") +
            kDefaultAppDataDescription + "; with --eval a fresh temporary folder)");
    replay.add_option("--history", options.history, "Latest commands used as the prediction history")
        ->capture_default_str();
    replay
        .add_option("--max-history", options.maxHistory,
                    "Latest commands kept per environment (negative: no limit)")
        ->capture_default_str();
    replay.add_option("--predictions", options.predictions, "Predictions per environment (0 or less: all)")
        ->capture_default_str();
    replay.add_option("--depth", options.depth, "Model depth; history + 1 predicts as depth 100 does")
        ->check(CLI::Range(1, 128))
        ->default_str("100, and a model file's own depth");
    replay.add_flag(
        "--no-learn", [this](std::int64_t) { options.learn = false; }, "Do not train the models");
    replay.add_flag("--trace", options.trace, "Print one JSON line with the predictions after every event");
    replay.add_flag(
        "--trace-scored", [this](std::int64_t) { options.trace = options.traceScored = true; },
        "--trace, and each line also carries the list scored before the event (\"scored\")");
    CLI::Option* eval = replay.add_flag(
        "--eval", options.eval, "Score the predictions and three baselines against the commands that follow");
    replay.add_flag("--json", options.json, "Print the --eval summary as one JSON object")->needs(eval);
    replay.add_flag("--per-env", options.perEnvironment, "Add a --eval breakdown per environment")
        ->needs(eval);
    replay.add_flag(
        "--no-save", [this](std::int64_t) { options.save = false; }, "Do not save the models");
    replay.add_option("--exclude-training", options.excludeTraining,
                      "File of commands excluded from training (repeatable, loaded in order)");
    replay.add_option("--user-excluded", options.userExcluded, "File of user-excluded commands to load");
    replay.add_option("--save-user-excluded", options.saveUserExcluded,
                      "Write the user-excluded commands to this file after the replay");
    app = &replay;
  }

  int Run() {
    CommandLog log;
    int status = kExitOk;
    if (!ReadLog(logPath, log, status)) return status;
    if (options.appData.empty() && !options.eval) options.appData = DefaultAppData();
    if (!options.appData.empty()) options.appData = WithTrailingSeparator(options.appData);
    return Replay(options, log, stdout);
  }

  CLI::App* app = nullptr;  // the subcommand, to tell whether it was given
};

struct PredictCommand {
  PredictOptions options;

  void AddTo(CLI::App& parent) {
    CLI::App& predict = *parent.add_subcommand(
        "predict",
        "Print the ranked list that an environment's saved model gives after the commands; changes nothing");
    predict.add_option("--app-data", options.appData, "Application-data folder holding ModelPrediction")
        ->required();
    predict.add_option("--env", options.environment, "Environment name")->required();
    predict.add_option("--history", options.history, "Latest commands used as the prediction history")
        ->capture_default_str();
    predict.add_option("--predictions", options.predictions, "Predictions to list (0 or less: all)")
        ->capture_default_str();
    predict.add_flag("--json", options.json, "Print one JSON object");
    predict.add_option("CMD", options.commands, "Commands run so far, oldest first");
    app = &predict;
  }

  int Run() {
    options.appData = WithTrailingSeparator(options.appData);
    return Predict(options, stdout);
  }

  CLI::App* app = nullptr;  // the subcommand, to tell whether it was given
};

struct InspectCommand {
  InspectOptions options;

  void AddTo(CLI::App& parent) {
    CLI::App& inspect = *parent.add_subcommand(
        "inspect", "Describe model files and what loading them would do, without changing them");
    inspect.add_option("PATH", options.path, "A model file, an application-data folder or a model folder")
        ->required();
    inspect.add_option("--top", options.top, "Most frequent commands and strongest contexts shown")
        ->capture_default_str();
    inspect.add_flag("--json", options.json, "Print one JSON object");
    app = &inspect;
  }

  int Run() { return Inspect(options, stdout); }

  CLI::App* app = nullptr;  // the subcommand, to tell whether it was given
};

struct StatsCommand {
  std::string logPath;
  bool json = false;

  void AddTo(CLI::App& parent) {
    CLI::App& stats =
        *parent.add_subcommand("stats", "Count the events, environments, commands and repeats of a log");
    stats.add_option("LOG", logPath, kLogHelp)->required();
    stats.add_flag("--json", json, "Print one JSON object");
    app = &stats;
  }

  int Run() {
    CommandLog log;
    int status = kExitOk;
    if (!ReadLog(logPath, log, status)) return status;
    const std::string text = LogStatistics(log, json);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
  }

  CLI::App* app = nullptr;  // the subcommand, to tell whether it was given
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"cmdpredict: learns which commands follow which and predicts the next one"};
  app.set_version_flag("--version", std::string("cmdpredict ") + cmdpredict_version());
  app.footer(kExitStatusHelp);
  app.require_subcommand(1);
  // Arguments mean the same on every system: "/x" is a path, never an option (set before the
  // subcommands, which take it over).
  app.allow_windows_style_options(false);
  ReplayCommand replay;
  PredictCommand predict;
  InspectCommand inspect;
  StatsCommand stats;
  replay.AddTo(app);
  predict.AddTo(app);
  inspect.AddTo(app);
  stats.AddTo(app);

  WriteOutputBytesUnchanged();
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<char*> argumentPointers;
  for (std::string& argument : arguments) argumentPointers.push_back(argument.data());
  try {
    app.parse(static_cast<int>(argumentPointers.size()), argumentPointers.data());
  } catch (const CLI::ParseError& error) {
    // --help and --version arrive here too, with status 0.
    return app.exit(error) == 0 ? kExitOk : kExitUsageError;
  }

  try {
    if (replay.app->parsed()) return replay.Run();
    if (predict.app->parsed()) return predict.Run();
    if (inspect.app->parsed()) return inspect.Run();
    return stats.Run();
  } catch (const std::range_error& badName) {
    std::fprintf(stderr, "cmdpredict: a folder, file or environment name is not valid UTF-8 (%s)\n",
                 badName.what());
    return kExitUsageError;
  }
}
