#pragma once

#include <cstdint>

namespace quorlin {

// The count of a host-side object (a context, event services, a listener). Such objects belong
// to the host and outlive every instance that holds them, so the count is kept for checks that
// every reference came back and never destroys the object; it does not go below zero.
class HostReferenceCount {
public:
    std::uint32_t add() noexcept { return static_cast<std::uint32_t>(++count); }

    std::uint32_t drop() noexcept {
        if (count > 0) {
            --count;
        }
        return static_cast<std::uint32_t>(count);
    }

    std::int32_t value() const noexcept { return count; }

private:
    std::int32_t count = 1; // the host's own
};

} // namespace quorlin
