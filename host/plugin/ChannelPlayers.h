#pragma once

#include "host/midi/TempoMap.h"
#include "host/plugin/ChannelPlayer.h"

#include <cstdint>
#include <memory>

namespace quorlin::host {

// Where MidiProcessor's channel players come from, chosen by its caller: the plug-in library
// through its tables (LibraryPlayers) or the channel bank linked into this program
// (BankPlayers). A stream is what one synthesizer hears: the whole file in the synthesizer's
// view, one track in the per-track view. All calls come from the thread that runs the processor.
class ChannelPlayers {
public:
    virtual ~ChannelPlayers() = default;

    // Before a stream's first player. `tempo`, the tempo map of the stream's events, outlives
    // the stream.
    virtual void begin(const TempoMap& tempo) = 0;
    // A fresh player for `channel` (from 0) in this stream, made before the stream's first event;
    // the caller stops and releases it before end(). Never null; throws what making it throws.
    virtual std::unique_ptr<ChannelPlayer> make(std::uint8_t channel) = 0;
    // After the stream's players are released. Throws std::bad_alloc when they ran out of
    // memory on the way, so that no partial result is taken for a whole one.
    virtual void end() = 0;
};

} // namespace quorlin::host
