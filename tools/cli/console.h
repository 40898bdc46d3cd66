// What the tool takes from the system it runs on: its arguments, its output streams, whether a
// person watches them, and the default application-data folder.
#pragma once

#include <string>
#include <vector>

namespace cmdpredict::cli {

// The command-line arguments as UTF-8 path text, program name first. On Windows they come from the
// UTF-16 command line, so that any file name reaches the tool unchanged.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the standard output and error streams write each byte as given: line ends stay LF on
// every system.
void WriteOutputBytesUnchanged();

// True when the standard error stream is a terminal (a person watches it).
bool StandardErrorIsTerminal();

// The folder the tool keeps its models in when none is given, with a trailing separator.
std::string DefaultAppData();

// How DefaultAppData is made, for the help text.
extern const char* const kDefaultAppDataDescription;

}  // namespace cmdpredict::cli
