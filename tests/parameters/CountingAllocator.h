#pragma once

#include <cstdint>

namespace quorlin::testing {

// The test program's global operator new counts allocations and can be told to fail. Linked
// only into the suite that needs it, since it replaces allocation for the whole program.

std::int64_t allocationCount();

// From now on, `successes` more allocations succeed and the next ones throw std::bad_alloc,
// until stopFailingAllocations.
void failAllocationsAfter(int successes);
void stopFailingAllocations();

} // namespace quorlin::testing
