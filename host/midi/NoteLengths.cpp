#include "host/midi/NoteLengths.h"

#include "host/midi/OpenNotes.h"

namespace quorlin::host {

std::vector<std::int32_t> noteLengths(const MidiTrack& track) {
    std::vector<std::int32_t> lengths(track.events.size(), 0);
    std::vector<OpenNotes> open(16 * 128);
    for (std::size_t i = 0; i < track.events.size(); ++i) {
        const MidiEvent& event = track.events[i];
        if (!event.isNote()) {
            continue;
        }
        OpenNotes& key = open[event.channel() * 128u + event.data1];
        if (event.isNoteOn()) {
            key.add(i);
        } else if (!key.empty()) {
            std::size_t start = key.takeOldest();
            // Ticks are within the signed range, so the difference is as well.
            lengths[start] = static_cast<std::int32_t>(event.tick - track.events[start].tick);
        }
    }
    return lengths;
}

} // namespace quorlin::host
