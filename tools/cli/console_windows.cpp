#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "console.h"
#include "platform/unicode.h"

namespace cmdpredict::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8Path(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void WriteOutputBytesUnchanged() {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

// Only a console has a console mode; a pipe or a file does not.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

const char* const kDefaultAppDataDescription = "%APPDATA%\\cmdpredict\\";

std::string DefaultAppData() {
  const wchar_t* data = ::_wgetenv(L"APPDATA");
  return (data != nullptr && *data != L'\0' ? WideToUtf8Path(data) : std::string(".")) + "\\cmdpredict\\";
}

}  // namespace cmdpredict::cli
