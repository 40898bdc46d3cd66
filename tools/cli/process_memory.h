// How much memory the tool's process has used, for its reports.
#pragma once

#include <cstdint>

namespace cmdpredict::cli {

// The largest resident set the process has had so far, in bytes; 0 when the system cannot tell.
std::uint64_t PeakResidentBytes();

}  // namespace cmdpredict::cli
