#pragma once

#include <cstdint>

namespace quorlin {

// The one signed count shared by all interfaces of an object. Plain arithmetic on purpose:
// every call into an object comes from one thread at a time.
class ReferenceCount {
public:
    std::uint32_t add() { return static_cast<std::uint32_t>(++count); }

    // Returns the new count; the caller destroys the object when it is 0.
    std::uint32_t drop() { return static_cast<std::uint32_t>(--count); }

    std::int32_t value() const { return count; }

private:
    std::int32_t count = 1;
};

} // namespace quorlin
