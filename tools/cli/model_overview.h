// `cmdpredict inspect`: what the model files of an application-data folder (or one model file)
// hold and what loading them would do. Reads the files only: loading is done in memory, so no
// backup is ever written and nothing is changed.
#pragma once

#include <cstdio>
#include <string>

namespace cmdpredict::cli {

struct InspectOptions {
  std::string path;  // a model file, an application-data folder or a model folder
  int top = 10;      // most frequent commands and strongest contexts shown
  bool json = false;
};

// Writes the report to `out`; messages to standard error. Returns the process exit status.
int Inspect(const InspectOptions& options, std::FILE* out);

}  // namespace cmdpredict::cli
