#pragma once

#include <cstdint>

namespace quorlin::lv2 {

// The ports by the index quorlin.ttl gives them.
enum class PortIndex : std::uint32_t {
    midiIn = 0,
    midiOut = 1,
    speed = 2,
    chordWindow = 3,
    portamentoOnChange = 4,
    glideSource = 5,
    intervalLimit = 6,
    legatoTolerance = 7,
};

} // namespace quorlin::lv2
