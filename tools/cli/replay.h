// Replays a command log through CPredictionCommandManager exactly as a host drives it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "command_log.h"

namespace cmdpredict::cli {

struct ReplayOptions {
  std::string appData;  // the application-data folder, ending with a separator
  int history = 1;
  int maxHistory = 10;
  int predictions = 10;
  bool learn = true;
  bool trace = false;
  bool eval = false;
  bool save = true;
  std::vector<std::string> excludeTraining;  // training-exclusion files, loaded in order
  std::string userExcluded;                  // user-excluded list to load, or empty
  std::string saveUserExcluded;              // where to write the user-excluded list, or empty
};

// Runs the replay, writing the trace and the summary to `out`. Returns the process exit status.
int Replay(const ReplayOptions& options, const CommandLog& log, std::FILE* out);

}  // namespace cmdpredict::cli
