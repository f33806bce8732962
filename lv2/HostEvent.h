#pragma once

#include "component/HostEvent.h"

#include <cstdint>

namespace quorlin {

// What the adapter keeps behind the event handle it gives the module: one channel message. The
// status has no channel bits (144, 128, 176, ...); the channel is kept beside it, as the module
// compares statuses whole.
struct HostEvent {
    std::int32_t status = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::uint8_t channel = 0;
    bool immediate = false;
    // Handed out when the pool is empty; whatever is sent of it is dropped and counted.
    bool discard = false;
};

} // namespace quorlin
