#include <sys/wait.h>

#include <cstdlib>

#include "testing/process.h"

namespace cmdpredict::process_system {

std::FILE* OpenCommand(const std::string& program, const std::string& arguments,
                       const std::string& workingFolder, const std::string& inputFile) {
  const std::string command = (workingFolder.empty() ? "" : "cd '" + workingFolder + "' && ") + "'" +
                              program + "' " + arguments + (inputFile.empty() ? "" : " <'" + inputFile + "'");
  return ::popen(command.c_str(), "r");
}

int CloseCommand(std::FILE* pipe) {
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SetVariable(const std::string& name, const std::string* value) {
  value != nullptr ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}

}  // namespace cmdpredict::process_system
