#include <cstdlib>
#include <filesystem>

#include "platform/unicode.h"
#include "testing/process.h"

namespace cmdpredict::process_system {
namespace {

std::string Quoted(const std::string& path) {
  return "\"" + std::filesystem::u8path(path).make_preferred().u8string() + "\"";
}

}  // namespace

std::FILE* OpenCommand(const std::string& program, const std::string& arguments,
                       const std::string& workingFolder, const std::string& inputFile) {
  // Made absolute before the working folder changes: a path without a drive would otherwise be
  // taken on the working folder's drive.
  const std::string path = std::filesystem::absolute(std::filesystem::u8path(program)).u8string();
  const std::string line = (workingFolder.empty() ? "" : "cd /d " + Quoted(workingFolder) + " && ") +
                           Quoted(path) + " " + arguments +
                           (inputFile.empty() ? "" : " <" + Quoted(inputFile));
  // The command interpreter drops the first and the last quote of a line that starts with one, so
  // the whole line is quoted once more. The line goes to the interpreter in UTF-16, so that names
  // beyond ASCII reach the program.
  return ::_wpopen(Utf8PathToWide("\"" + line + "\"").c_str(), L"rb");
}

int CloseCommand(std::FILE* pipe) { return ::_pclose(pipe); }

// An empty value removes the variable.
void SetVariable(const std::string& name, const std::string* value) {
  ::_putenv_s(name.c_str(), value != nullptr ? value->c_str() : "");
}

}  // namespace cmdpredict::process_system
