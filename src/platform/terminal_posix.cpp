#include <unistd.h>

#include "platform/terminal.h"

namespace cmdpredict {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace cmdpredict
