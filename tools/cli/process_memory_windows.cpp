#include <windows.h>
// After <windows.h>, which it needs.
#include <psapi.h>

#include "process_memory.h"

namespace cmdpredict::cli {

std::uint64_t PeakResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::uint64_t>(counters.PeakWorkingSetSize);
}

}  // namespace cmdpredict::cli
