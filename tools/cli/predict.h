// `cmdpredict predict`: the ranked list that an environment's saved model gives after a history of
// commands. Reads the model file only: learns nothing, saves nothing, writes no file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

struct PredictOptions {
  std::string appData;  // with its trailing separator
  std::string environment;
  int history = 1;
  int predictions = 10;
  std::vector<LONG> commands;  // oldest first
  bool json = false;
};

// Writes the list to `out`; messages to standard error. Returns the process exit status.
int Predict(const PredictOptions& options, std::FILE* out);

// The history the manager would predict from after the commands: as its list of latest commands
// keeps them (command 0 never enters, a command equal to the one before it is not added again),
// the newest `history` of them, oldest first.
std::vector<LONG> HistoryAfter(const std::vector<LONG>& commands, int history);

}  // namespace cmdpredict::cli
