#include "platform/open_file.h"

namespace cmdpredict {

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace cmdpredict
