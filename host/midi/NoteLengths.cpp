#include "host/midi/NoteLengths.h"

#include <utility>

namespace quorlin::host {

NoteLengths::NoteLengths(std::size_t expectedNoteOns) : open(std::size_t{16} * 128) {
    lengths.reserve(expectedNoteOns);
}

void NoteLengths::add(const MidiEvent& event) {
    if (!event.isNote()) {
        return;
    }
    OpenNotes& key = open[event.channel() * 128u + event.data1];
    if (event.isNoteOn()) {
        key.add(lengths.size());
        // Ticks are within the signed range.
        lengths.push_back(static_cast<std::int32_t>(event.tick));
    } else if (!key.empty()) {
        std::size_t start = key.takeOldest();
        lengths[start] = static_cast<std::int32_t>(event.tick) - lengths[start];
    }
}

std::vector<std::int32_t> NoteLengths::finish() {
    for (OpenNotes& key : open) {
        while (!key.empty()) {
            lengths[key.takeOldest()] = 0;
        }
    }
    return std::move(lengths);
}

std::vector<std::int32_t> noteLengths(const MidiTrack& track) {
    NoteLengths notes;
    for (const MidiEvent& event : track.events) {
        notes.add(event);
    }
    std::vector<std::int32_t> ofNoteOns = notes.finish();
    std::vector<std::int32_t> lengths(track.events.size(), 0);
    std::size_t noteOn = 0;
    for (std::size_t i = 0; i < track.events.size(); ++i) {
        if (track.events[i].isNoteOn()) {
            lengths[i] = ofNoteOns[noteOn++];
        }
    }
    return lengths;
}

} // namespace quorlin::host
