#include "host/render/KeySpelling.h"

#include "host/plugin/EventLog.h"

namespace quorlin::host {

namespace {

// The key signature meta event: sharps (positive) or flats (negative), then major or minor.
constexpr std::uint8_t keySignatureType = 0x59;

// Whether the first key signature of the file has flats.
bool flatKeyOf(const MidiFile& file) {
    const MidiEvent* first = nullptr;
    for (const MidiTrack& track : file.tracks) {
        for (const MidiEvent& event : track.events) {
            if (event.isMeta() && event.metaType() == keySignatureType &&
                event.payload.size() == 2 && (first == nullptr || event.tick < first->tick)) {
                first = &event;
                break;
            }
        }
    }
    return first != nullptr && static_cast<std::int8_t>(first->payload[0]) < 0;
}

} // namespace

KeySpelling::KeySpelling(const MidiFile& file) : flats(flatKeyOf(file)) {}

std::string KeySpelling::name(std::uint8_t key) const {
    static constexpr const char* flatNames[] = {"C",  "Db", "D",  "Eb", "E",  "F",
                                                "Gb", "G",  "Ab", "A",  "Bb", "B"};
    if (!flats) {
        return EventLog::noteName(key);
    }
    return std::string(flatNames[key % 12]) + std::to_string(key / 12 - 1);
}

} // namespace quorlin::host
