#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "platform/unicode.h"
#include "testing/process.h"

namespace cmdpredict {

namespace {

std::string Quoted(const std::string& path) {
  return "\"" + std::filesystem::u8path(path).make_preferred().u8string() + "\"";
}

}  // namespace

CommandRun RunCommand(const std::string& program, const std::string& arguments,
                      const std::string& workingFolder, const std::string& inputFile) {
  CommandRun run;
  // Made absolute before the working folder changes: a path without a drive would otherwise be
  // taken on the working folder's drive.
  const std::string path = std::filesystem::absolute(std::filesystem::u8path(program)).u8string();
  const std::string line = (workingFolder.empty() ? "" : "cd /d " + Quoted(workingFolder) + " && ") +
                           Quoted(path) + " " + arguments +
                           (inputFile.empty() ? "" : " <" + Quoted(inputFile));
  // The command interpreter drops the first and the last quote of a line that starts with one, so
  // the whole line is quoted once more. The line goes to the interpreter in UTF-16, so that names
  // beyond ASCII reach the program.
  FILE* pipe = ::_wpopen(Utf8PathToWide("\"" + line + "\"").c_str(), L"rb");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
  run.status = ::_pclose(pipe);
  return run;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::string& value)
    : m_name(std::move(name)) {
  const char* previous = std::getenv(m_name.c_str());
  m_wasSet = previous != nullptr;
  if (m_wasSet) m_previous = previous;
  ::_putenv_s(m_name.c_str(), value.c_str());
}

// An empty value removes the variable.
ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  ::_putenv_s(m_name.c_str(), m_wasSet ? m_previous.c_str() : "");
}

}  // namespace cmdpredict
