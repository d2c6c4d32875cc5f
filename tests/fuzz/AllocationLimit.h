// The largest single allocation made through operator new since the last reset. The replay
// test holds every input to the same bound as the fuzzers' malloc limit, so that a few bytes
// which make a reader claim a gigabyte fail in the ordinary build too. Sanitizer builds keep
// their own operator new (and the fuzzers their own limit): there the figure stays 0.
#pragma once

#include <cstddef>

namespace cm::fuzz::test {

inline constexpr std::size_t kAllocationLimitBytes = 256u << 20;

void ResetLargestAllocation();
std::size_t LargestAllocation();

}  // namespace cm::fuzz::test
