#pragma once

#include "host/midi/MidiFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::host {

// Musical and clock time of the ticks of a track: the file's division with the tempo and time
// signature events that govern the track (those of every track in formats 0 and 1, the track's
// own in format 2). SMPTE divisions count in seconds instead of bars.
class TempoMap {
public:
    // A stretch of equal bars from `tick` on. Bars count from 1; in SMPTE time a "bar" is a
    // second with a single beat.
    struct Meter {
        std::uint32_t tick = 0;
        std::uint32_t firstBar = 1;
        std::uint32_t barTicks = 0;
        std::uint32_t beatTicks = 0;
        std::uint32_t numerator = 4;
        std::uint32_t denominator = 4;
    };

    struct Position {
        std::uint32_t bar = 1;
        std::uint32_t beat = 1;
    };

    TempoMap(const MidiFile& file, std::size_t trackIndex);

    bool countsSeconds() const { return smpte; }
    // Ticks per quarter note, or per second for SMPTE divisions.
    double ticksPerUnit() const { return unitTicks; }
    double seconds(std::uint32_t tick) const;
    // How many ticks a second lasts at the tempo in force at `tick`.
    double ticksPerSecond(std::uint32_t tick) const;
    const std::vector<Meter>& meters() const { return meterList; }
    Position position(std::uint32_t tick) const;
    // The tick at which a bar starts, bars counted from 1; bars past the range saturate.
    std::uint32_t tickOfBar(std::uint32_t bar) const;
    // The tempo in beats per minute at the start, "120 bpm", or the SMPTE rate.
    std::string describeStart() const;
    std::size_t tempoChanges() const { return tempos.size() - 1; }

private:
    struct Tempo {
        std::uint32_t tick = 0;
        std::uint32_t microsecondsPerQuarter = 500000;
        double secondsAtTick = 0.0;
    };

    void addMeters(const std::vector<MidiEvent>& signatures);
    // The tempo in force at `tick`: the last change at or before it.
    const Tempo& tempoAt(std::uint32_t tick) const;

    bool smpte = false;
    double unitTicks = 480.0;
    std::vector<Tempo> tempos;
    std::vector<Meter> meterList;
};

} // namespace quorlin::host
