// Reading the files the tool is given (model files, exclusion lists) with a reason when it cannot.
#pragma once

#include <string>

namespace cmdpredict::cli {

// Reads a file whole. False with `reason` set when it is missing, not a regular file (a folder or a
// device) or cannot be read. Nothing is written.
bool ReadInputFile(const std::string& path, std::string& text, std::string& reason);

}  // namespace cmdpredict::cli
