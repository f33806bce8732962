#pragma once

#include "lv2/HostEvent.h"

#include <cstdint>

namespace quorlin::lv2 {

// A complete MIDI channel message (note, controller, program, pressure, pitch bend) as bytes,
// read from an input event or made from an event handle. Anything else is not valid: system
// messages, sysex, running status, wrong lengths, data bytes above 127.
class ChannelMessage {
public:
    static ChannelMessage parse(const std::uint8_t* bytes, std::uint32_t size) noexcept;
    static ChannelMessage of(const HostEvent& event) noexcept;

    bool valid() const noexcept { return length != 0; }
    // The status without its channel bits, as the module compares it.
    std::int32_t kind() const noexcept;
    std::uint8_t channel() const noexcept;
    // The event handle the module is given, at a position.
    HostEvent event(std::int32_t position) const noexcept;

    const std::uint8_t* bytes() const noexcept { return raw; }
    std::uint32_t size() const noexcept { return length; }

private:
    static std::uint32_t lengthOfKind(std::int32_t kind) noexcept;

    std::uint8_t raw[3] = {};
    std::uint32_t length = 0;
};

} // namespace quorlin::lv2
