#pragma once

#include <cstdint>

namespace quorlin::bench {

// The benchmark program replaces the global allocator so that every operator new, of any
// form, is counted. A benchmark reads the count before and after its timed loop.
std::uint64_t allocationCount();

} // namespace quorlin::bench
