#pragma once

#include <cstdint>

namespace quorlin {

// The fields a host keeps for one event behind the opaque HostEvent handle, as the module reads
// and writes them through HostMidiServices. The status is the message kind without channel bits
// (144, 128, 176, ...); a host that keeps the channel keeps it beside it. `immediate` holds what
// the plug-in last set, whole. Hosts that need more derive from it.
struct HostEventRecord {
    std::int32_t status = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::int32_t length = 0;
    std::int32_t immediate = 0;
    std::int32_t channel = 0;
};

} // namespace quorlin
