// How much memory the process has used, for tools that report it.
#pragma once

#include <cstdint>

namespace cmdpredict {

// The largest resident set the process has had so far, in bytes; 0 when the system cannot tell.
std::uint64_t PeakResidentBytes();

}  // namespace cmdpredict
