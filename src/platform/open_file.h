// Opening a file as a C stream by its path text, for readers that take a file piece by piece.
#pragma once

#include <cstdio>
#include <string>

namespace cmdpredict {

// std::fopen for a UTF-8 path (on Windows turned back into the UTF-16 units it names); null when
// the file cannot be opened or the path is not path text.
std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace cmdpredict
