// Whether the process talks to a person, for tools that show progress.
#pragma once

namespace cmdpredict {

// True when the standard error stream is a terminal.
bool StandardErrorIsTerminal();

}  // namespace cmdpredict
