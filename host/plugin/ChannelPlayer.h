#pragma once

#include "host/midi/MidiEvent.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// What plays one channel of a stream for MidiProcessor (ChannelPlayers makes them). Each call
// appends what goes out at that moment, in order, to `out`.
class ChannelPlayer {
public:
    virtual ~ChannelPlayer() = default;

    // A position: controller 5 goes out when one is due.
    virtual void processTime(std::uint32_t tick, std::vector<MidiEvent>& out) = 0;
    // A channel message of the file, with the length of a note-on (0 when it has none).
    virtual void processEvent(const MidiEvent& event, std::int32_t length,
                              std::vector<MidiEvent>& out) = 0;
    // The end of the stream.
    virtual void stop(std::uint32_t tick, std::vector<MidiEvent>& out) = 0;
};

} // namespace quorlin::host
