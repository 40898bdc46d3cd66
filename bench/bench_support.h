// Inputs shared by the benchmarks: a command stream shaped like a desktop application's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cmdpredict::bench {

// A stream of `length` item texts over `distinct` command identifiers (decimal texts), drawn with a
// skewed (Zipf-like, exponent 1) mix and interrupted by repeated habits: short fixed sequences that
// the user runs again and again. Deterministic for a given seed.
std::vector<std::string> MakeCommandStream(std::size_t length, int distinct, std::uint32_t seed = 42);

}  // namespace cmdpredict::bench
