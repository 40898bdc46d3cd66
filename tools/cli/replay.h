// Replays a command log through CPredictionCommandManager exactly as a host drives it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "command_log.h"

namespace cmdpredict::cli {

struct ReplayOptions {
  std::string appData;  // the application-data folder, ending with a separator; empty: a temporary one
  int history = 1;
  int maxHistory = 10;
  int predictions = 10;
  int depth = 0;  // the model depth to set; 0: none set, the models keep the written depth
  bool learn = true;
  bool trace = false;
  bool traceScored = false;  // trace lines also carry the list that was scored before the event
  bool eval = false;
  bool json = false;  // the summary as one JSON object
  bool perEnvironment = false;
  bool save = true;
  std::vector<std::string> excludeTraining;  // training-exclusion files, loaded in order
  std::string userExcluded;                  // user-excluded list to load, or empty
  std::string saveUserExcluded;              // where to write the user-excluded list, or empty
};

// Runs the replay, writing the trace and the summary to `out` and notices, each of the library's
// diagnostics among them, to standard error. Returns the process exit status (kExitFileError when a
// model could not be saved).
int Replay(const ReplayOptions& options, const CommandLog& log, std::FILE* out);

}  // namespace cmdpredict::cli
