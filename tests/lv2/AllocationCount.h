#pragma once

#include <cstdint>

namespace quorlin::testing {

// Allocations through operator new so far: the counting allocator's count in programs that
// link it, 0 in the others.
std::int64_t allocationCount();

} // namespace quorlin::testing
