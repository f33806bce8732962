#include "host/midi/TempoMap.h"

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorlin::host {

namespace {

constexpr std::uint8_t timeSignatureType = midi::metaTimeSignature;
constexpr std::uint32_t defaultMicrosecondsPerQuarter = 500000;

bool isTempo(const MidiEvent& event) {
    return event.isMeta() && event.metaType() == MidiEvent::tempoType && event.payload.size() == 3;
}

bool isTimeSignature(const MidiEvent& event) {
    return event.isMeta() && event.metaType() == timeSignatureType && event.payload.size() >= 2;
}

std::uint32_t microsecondsOf(const MidiEvent& tempo) {
    const MidiPayload& data = tempo.payload;
    return (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
}

bool earlier(const MidiEvent& left, const MidiEvent& right) {
    return left.tick < right.tick;
}

} // namespace

TempoMap::TempoMap(const MidiFile& file, std::size_t trackIndex) {
    std::vector<MidiEvent> tempoEvents;
    std::vector<MidiEvent> signatures;
    // Format 2 tracks are independent songs: only the track's own events count, and only its
    // own are read, so a map per track stays linear in the file. Otherwise the conductor events
    // apply to all.
    bool own = file.format == 2;
    std::size_t from = own ? std::min(trackIndex, file.tracks.size()) : 0;
    std::size_t to = own ? std::min(trackIndex + 1, file.tracks.size()) : file.tracks.size();
    for (std::size_t i = from; i < to; ++i) {
        for (const MidiEvent& event : file.tracks[i].events) {
            if (isTempo(event) && microsecondsOf(event) > 0) {
                tempoEvents.push_back(event);
            } else if (isTimeSignature(event)) {
                signatures.push_back(event);
            }
        }
    }
    std::stable_sort(tempoEvents.begin(), tempoEvents.end(), earlier);
    std::stable_sort(signatures.begin(), signatures.end(), earlier);

    smpte = (file.division & 0x8000) != 0;
    if (smpte) {
        // The high byte holds the negated frame rate, 29 standing for 29.97 (drop frame).
        int frames = -static_cast<std::int8_t>(file.division >> 8);
        double rate = frames == 29 ? 29.97 : std::max(frames, 1);
        unitTicks = rate * std::max(file.division & 0xFF, 1);
        auto secondTicks = static_cast<std::uint32_t>(std::max(std::lround(unitTicks), 1L));
        meterList.push_back(Meter{0, 1, secondTicks, secondTicks, 1, 1});
        tempos.push_back(Tempo{});
        return;
    }
    unitTicks = file.division;

    tempos.push_back(Tempo{0, defaultMicrosecondsPerQuarter, 0.0});
    for (const MidiEvent& event : tempoEvents) {
        Tempo& last = tempos.back();
        if (event.tick == last.tick) {
            last.microsecondsPerQuarter = microsecondsOf(event);
            continue;
        }
        tempos.push_back(Tempo{event.tick, microsecondsOf(event), seconds(event.tick)});
    }
    addMeters(signatures);
}

void TempoMap::addMeters(const std::vector<MidiEvent>& signatures) {
    auto quarter = static_cast<std::uint32_t>(unitTicks);
    meterList.push_back(Meter{0, 1, 4 * quarter, quarter, 4, 4});
    for (const MidiEvent& event : signatures) {
        std::uint32_t numerator = event.payload[0];
        std::uint32_t power = event.payload[1];
        // A beat must be a whole number of ticks; signatures that allow none are ignored.
        if (numerator == 0 || power > 31 || ((4ull * quarter) >> power) == 0) {
            continue;
        }
        auto beatTicks = static_cast<std::uint32_t>((4ull * quarter) >> power);
        auto barTicks = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{numerator} * beatTicks, MidiFile::maxTick));
        Meter& current = meterList.back();
        Meter next{event.tick, current.firstBar, barTicks, beatTicks, numerator, 1u << power};
        if (event.tick == current.tick) {
            current = next;
            continue;
        }
        // A change in the middle of a bar starts a new bar; the broken one still counts.
        std::uint32_t elapsed = event.tick - current.tick;
        next.firstBar += elapsed / current.barTicks + (elapsed % current.barTicks != 0 ? 1 : 0);
        meterList.push_back(next);
    }
}

double TempoMap::seconds(std::uint32_t tick) const {
    if (smpte) {
        return tick / unitTicks;
    }
    const Tempo& tempo = tempoAt(tick);
    return tempo.secondsAtTick +
           (tick - tempo.tick) * (tempo.microsecondsPerQuarter / 1e6) / unitTicks;
}

double TempoMap::ticksPerSecond(std::uint32_t tick) const {
    if (smpte) {
        return unitTicks;
    }
    return unitTicks * 1e6 / tempoAt(tick).microsecondsPerQuarter;
}

const TempoMap::Tempo& TempoMap::tempoAt(std::uint32_t tick) const {
    auto after =
        std::upper_bound(tempos.begin(), tempos.end(), tick,
                         [](std::uint32_t at, const Tempo& tempo) { return at < tempo.tick; });
    return *(after - 1);
}

TempoMap::Position TempoMap::position(std::uint32_t tick) const {
    auto after =
        std::upper_bound(meterList.begin(), meterList.end(), tick,
                         [](std::uint32_t at, const Meter& meter) { return at < meter.tick; });
    const Meter& meter = *(after - 1);
    std::uint32_t elapsed = tick - meter.tick;
    return {meter.firstBar + elapsed / meter.barTicks,
            1 + (elapsed % meter.barTicks) / meter.beatTicks};
}

std::uint32_t TempoMap::tickOfBar(std::uint32_t bar) const {
    auto after =
        std::upper_bound(meterList.begin(), meterList.end(), bar,
                         [](std::uint32_t at, const Meter& meter) { return at < meter.firstBar; });
    const Meter& meter = after == meterList.begin() ? meterList.front() : *(after - 1);
    std::uint64_t tick =
        meter.tick +
        std::uint64_t{bar > meter.firstBar ? bar - meter.firstBar : 0} * meter.barTicks;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(tick, MidiFile::maxTick));
}

std::string TempoMap::describeStart() const {
    char text[96];
    if (smpte) {
        std::snprintf(text, sizeof text, "SMPTE time, %.0f ticks per second", unitTicks);
        return text;
    }
    double bpm = 60e6 / tempos.front().microsecondsPerQuarter;
    const Meter& meter = meterList.front();
    std::snprintf(text, sizeof text, bpm == std::round(bpm) ? "%.0f bpm, %u/%u" : "%.1f bpm, %u/%u",
                  bpm, meter.numerator, meter.denominator);
    return text;
}

} // namespace quorlin::host
