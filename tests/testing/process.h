// What tests need of the operating system beyond files: running a program with its output
// captured, and setting environment variables.
#pragma once

#include <cstdio>
#include <string>

namespace cmdpredict {

struct CommandRun {
  int status = -1;  // the program's exit status
  std::string out;  // its standard output, byte for byte
};

// Runs the program with the arguments through the system's command interpreter, so that the
// arguments may redirect the standard error stream ("2>file"). The program's path may use either
// separator. The program runs in `workingFolder` and reads its standard input from the file
// `inputFile`; empty, either is this process's own.
CommandRun RunCommand(const std::string& program, const std::string& arguments,
                      const std::string& workingFolder = std::string(),
                      const std::string& inputFile = std::string());

// Sets an environment variable of this process for the lifetime of this object, then restores it
// (or removes it when it had not been set).
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::string& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string m_name;
  bool m_wasSet;
  std::string m_previous;
};

// The system calls underneath, one file per platform: a pipe from the command's standard output
// (null on failure), its exit status (-1 when it did not exit), and setting a variable (removing it
// when `value` is null).
namespace process_system {

std::FILE* OpenCommand(const std::string& program, const std::string& arguments,
                       const std::string& workingFolder, const std::string& inputFile);
int CloseCommand(std::FILE* pipe);
void SetVariable(const std::string& name, const std::string* value);

}  // namespace process_system

}  // namespace cmdpredict
