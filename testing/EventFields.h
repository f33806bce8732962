#pragma once

#include <cstdint>

namespace quorlin::testing {

// The fields of an event that the module reads or writes through the host's services, as a
// host that keeps its events in plain memory holds them.
struct EventFields {
    std::int32_t status = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::int32_t length = 0;
    std::int32_t immediate = 0;
};

} // namespace quorlin::testing
