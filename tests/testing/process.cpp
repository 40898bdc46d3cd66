#include "testing/process.h"

#include <cstdlib>
#include <utility>

namespace cmdpredict {

CommandRun RunCommand(const std::string& program, const std::string& arguments,
                      const std::string& workingFolder, const std::string& inputFile) {
  CommandRun run;
  std::FILE* pipe = process_system::OpenCommand(program, arguments, workingFolder, inputFile);
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
  run.status = process_system::CloseCommand(pipe);
  return run;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::string& value)
    : m_name(std::move(name)) {
  const char* previous = std::getenv(m_name.c_str());
  m_wasSet = previous != nullptr;
  if (m_wasSet) m_previous = previous;
  process_system::SetVariable(m_name, &value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  process_system::SetVariable(m_name, m_wasSet ? &m_previous : nullptr);
}

}  // namespace cmdpredict
