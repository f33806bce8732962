#pragma once

#include "host/midi/MidiFile.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// For every event of the track, the length the plug-in is told: for a note-on the distance in
// ticks to the note-off that ends it (same channel and key; the earliest open note-on of that
// key is ended first), 0 when nothing ends it; 0 for every other event.
std::vector<std::int32_t> noteLengths(const MidiTrack& track);

} // namespace quorlin::host
