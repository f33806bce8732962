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
};

// The speed control's range: -1 is "Off".
inline constexpr float speedOff = -1.0f;
inline constexpr float speedMax = 127.0f;
// The chord window's range, in milliseconds: 0 counts every held key.
inline constexpr float chordWindowMax = 100.0f;

} // namespace quorlin::lv2
