#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "testing/process.h"

namespace cmdpredict {
namespace {

void SetVariable(const std::string& name, const std::string* value) {
  value != nullptr ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}

}  // namespace

CommandRun RunCommand(const std::string& program, const std::string& arguments,
                      const std::string& workingFolder, const std::string& inputFile) {
  CommandRun run;
  const std::string command = (workingFolder.empty() ? "" : "cd '" + workingFolder + "' && ") + "'" +
                              program + "' " + arguments + (inputFile.empty() ? "" : " <'" + inputFile + "'");
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::string& value)
    : m_name(std::move(name)) {
  const char* previous = std::getenv(m_name.c_str());
  m_wasSet = previous != nullptr;
  if (m_wasSet) m_previous = previous;
  SetVariable(m_name, &value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetVariable(m_name, m_wasSet ? &m_previous : nullptr);
}

}  // namespace cmdpredict
