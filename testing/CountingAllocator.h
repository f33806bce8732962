#pragma once

#include <cstdint>

namespace quorlin::testing {

// The program's global operator new, in its plain, array and nothrow forms, counts allocations
// and can be told to fail. Linked only into programs that need it (target
// quorlin_counting_allocator), since it replaces allocation for the whole program.

std::int64_t allocationCount();

// From now on, `successes` more allocations succeed and the next ones throw std::bad_alloc,
// until stopFailingAllocations.
void failAllocationsAfter(int successes);
void stopFailingAllocations();

} // namespace quorlin::testing
