#pragma once

#include "component/HostEvent.h"

#include <cstdint>

namespace quorlin {

// What the benchmark host keeps behind an event handle: the fields the plug-in reads and
// writes, nothing else, so every host operation is one load or store.
struct HostEvent {
    std::int32_t status = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::int32_t length = 0;
    std::int32_t immediate = 0;
};

} // namespace quorlin
