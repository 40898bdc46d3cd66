#include <unistd.h>

#include <cstdlib>

#include "console.h"

namespace cmdpredict::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

void WriteOutputBytesUnchanged() {}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

const char* const kDefaultAppDataDescription = "$XDG_DATA_HOME/cmdpredict/ or ~/.local/share/cmdpredict/";

std::string DefaultAppData() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return std::string(data) + "/cmdpredict/";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.local/share/cmdpredict/";
}

}  // namespace cmdpredict::cli
