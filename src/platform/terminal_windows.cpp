#include <windows.h>

#include "platform/terminal.h"

namespace cmdpredict {

// Only a console has a console mode; a pipe or a file does not.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

}  // namespace cmdpredict
