#include "platform/open_file.h"

#include <cerrno>
#include <stdexcept>

#include "platform/unicode.h"

namespace cmdpredict {

std::FILE* OpenFile(const std::string& path, const char* mode) {
  try {
    return ::_wfopen(Utf8PathToWide(path).c_str(), Utf8PathToWide(mode).c_str());
  } catch (const std::range_error&) {
    errno = ENOENT;
    return nullptr;
  }
}

}  // namespace cmdpredict
