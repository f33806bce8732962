#pragma once

#include "host/midi/MidiFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorlin::host {

// The key each note-on of a file glides from, as a synthesizer playing the file hears it: one
// stream per channel, whatever track an event is on, so that one track's keys and controllers
// decide another's glides on a shared channel (the two staves of a piano, say).
//
// The tracks play merged in time: by tick, at equal ticks the lower track first, within a track
// in its order. A format 2 file's tracks are separate sequences and each plays alone. On each
// channel a note-on glides
// - from the key controller 84 (Portamento Control) named since the channel's last note-on,
//   whether or not portamento is on: a synthesizer that takes the controller glides from that
//   key at the portamento time either way;
// - else, while the channel's latest controller 65 is at 64 or more, from the channel's last
//   struck key, if it struck one;
// - else from none: it is struck.
class GlideOrigins {
public:
    explicit GlideOrigins(const MidiFile& file);

    // Per note-on of track `track` (velocity above 0), in the track's order: the key it glides
    // from, or none. Empty for a track past the file's.
    const std::vector<std::optional<std::uint8_t>>& ofTrack(std::size_t track) const;

private:
    void play(const MidiFile& file, std::size_t firstTrack, std::size_t endTrack);

    std::vector<std::vector<std::optional<std::uint8_t>>> origins;
};

} // namespace quorlin::host
