#pragma once

#include "host/midi/MidiEvent.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorlin::host {

// A malformed or unsupported file; the message says where and what.
class MidiFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The events of one track in file order, ticks never decreasing. The End of Track event is not
// among them: its tick is kept apart and the writer always puts it last.
struct MidiTrack {
    std::vector<MidiEvent> events;
    std::uint32_t endTick = 0;

    bool operator==(const MidiTrack&) const = default;
};

// A Standard MIDI File of format 0, 1 or 2. Ticks are limited to the signed 32-bit range, the
// range of the positions a plug-in is given.
struct MidiFile {
    static constexpr std::uint32_t maxTick = 0x7FFFFFFF;

    std::uint16_t format = 1;
    // Ticks per quarter note, or the SMPTE form with the top bit set; kept as the file had it.
    std::uint16_t division = 480;
    std::vector<MidiTrack> tracks;

    // Reads running status, meta, system-exclusive and escape events; chunks of other types
    // are skipped. Throws MidiFileError for anything truncated or corrupt.
    static MidiFile parse(std::span<const std::uint8_t> bytes);
    // Writes with running status for channel messages; throws MidiFileError when the events of
    // a track are out of tick order.
    std::vector<std::uint8_t> serialize() const;

    bool operator==(const MidiFile&) const = default;
};

} // namespace quorlin::host
