#include <sys/resource.h>

#include "process_memory.h"

namespace cmdpredict::cli {

std::uint64_t PeakResidentBytes() {
  struct rusage usage {};
  if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
#if defined(__APPLE__)
  return static_cast<std::uint64_t>(usage.ru_maxrss);  // bytes there
#else
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux and the BSDs
#endif
}

}  // namespace cmdpredict::cli
