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

    // What Release does: drops one reference and, at 0, runs `destroy`, which destroys the
    // object this count belongs to. Returns the new count.
    template <typename Destroy> std::uint32_t release(Destroy destroy) {
        std::uint32_t left = drop();
        if (left == 0) {
            destroy();
        }
        return left;
    }

    std::int32_t value() const { return count; }

private:
    std::int32_t count = 1;
};

} // namespace quorlin
