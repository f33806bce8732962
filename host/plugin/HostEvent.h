#pragma once

#include "component/HostEvent.h"

#include <cstdint>

namespace quorlin {

// What the host keeps behind the opaque event handle a plug-in is given. The status has no
// channel bits (144, 128, 176, ...); the channel is kept beside it.
struct HostEvent {
    std::int32_t status = 0;
    std::int32_t channel = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::int32_t length = 0;
    bool immediate = false;
    bool createdByPlugin = false;
    bool released = false;
};

} // namespace quorlin
