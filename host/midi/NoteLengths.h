#pragma once

#include "host/midi/MidiFile.h"
#include "host/midi/OpenNotes.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// The lengths the plug-in is told for the note-ons of a track, one per note-on in track order:
// the distance in ticks to the note-off that ends it (same channel and key; the earliest open
// note-on of that key is ended first), 0 when nothing ends it. Fed the track's events in order.
class NoteLengths {
public:
    explicit NoteLengths(std::size_t expectedNoteOns = 0);

    void add(const MidiEvent& event);
    // After the track's last event: the lengths, one per note-on.
    std::vector<std::int32_t> finish();

private:
    // A note still open holds its start tick until its note-off comes.
    std::vector<std::int32_t> lengths;
    std::vector<OpenNotes> open;
};

// For every event of the track, the length the plug-in is told: that of NoteLengths for a
// note-on, 0 for every other event.
std::vector<std::int32_t> noteLengths(const MidiTrack& track);

} // namespace quorlin::host
