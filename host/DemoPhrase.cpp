#include "host/DemoPhrase.h"

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <string>

namespace quorlin::host {

namespace {

constexpr std::uint16_t ticksPerQuarter = 480;
constexpr std::uint8_t velocity = 96;

struct Note {
    std::uint32_t start;
    std::uint32_t length;
    std::uint8_t key;
};

// C4 D4 E4 F4 G4 as quarters that overlap the next by a sixteenth (legato), then
// A4 B4 C5 short and apart, a C major chord, and E4 four times.
constexpr Note notes[] = {
    {0, 600, 60},    {480, 600, 62},  {960, 600, 64},  {1440, 600, 65}, {1920, 480, 67},
    {2880, 240, 69}, {3360, 240, 71}, {3840, 240, 72}, {4800, 960, 60}, {4800, 960, 64},
    {4800, 960, 67}, {6240, 240, 64}, {6600, 240, 64}, {6960, 240, 64}, {7320, 240, 64},
};

} // namespace

MidiFile demoPhrase() {
    MidiTrack track;
    std::string name = "Quorlin demo";
    track.events.push_back(MidiEvent::meta(0, midi::metaTrackName, {name.begin(), name.end()}));
    // 120 beats per minute.
    track.events.push_back(MidiEvent::meta(0, MidiEvent::tempoType, {0x07, 0xA1, 0x20}));
    track.events.push_back(MidiEvent::meta(0, midi::metaTimeSignature, {4, 2, 24, 8}));

    std::vector<MidiEvent> noteEvents;
    for (const Note& note : notes) {
        noteEvents.push_back(
            MidiEvent::channelMessage(note.start, MidiEvent::noteOn, note.key, velocity));
        noteEvents.push_back(
            MidiEvent::channelMessage(note.start + note.length, MidiEvent::noteOff, note.key, 64));
    }
    // By tick; at equal ticks note-offs first, so a key released and struck again stays apart.
    std::stable_sort(noteEvents.begin(), noteEvents.end(),
                     [](const MidiEvent& left, const MidiEvent& right) {
                         if (left.tick != right.tick) {
                             return left.tick < right.tick;
                         }
                         return left.isNoteOff() && !right.isNoteOff();
                     });
    track.events.insert(track.events.end(), noteEvents.begin(), noteEvents.end());
    track.endTick = track.events.back().tick + ticksPerQuarter;

    MidiFile file;
    file.format = 0;
    file.division = ticksPerQuarter;
    file.tracks.push_back(std::move(track));
    return file;
}

} // namespace quorlin::host
