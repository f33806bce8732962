#pragma once

#include "component/CallingConvention.h"

namespace quorlin::testing {

// The places every interface table starts with.
enum UnknownPlace : int {
    placeQueryInterface = 1,
    placeAddRef = 2,
    placeRelease = 3,
};

// Calls operation `place` (1-based, as the interface tables are numbered) of an interface by
// reading the object's table directly, so a declaration in the wrong order fails.
template <typename Result, typename... Args>
Result callSlot(void* interfacePointer, int place, Args... args) {
    using Operation = Result(QUORLIN_CALL*)(void*, Args...);
    void** table = *static_cast<void***>(interfacePointer);
    return reinterpret_cast<Operation>(table[place - 1])(interfacePointer, args...);
}

} // namespace quorlin::testing
