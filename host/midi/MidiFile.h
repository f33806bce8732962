#pragma once

#include "host/midi/Failure.h"
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
    // The events of a file already opened in place.
    static MidiFile read(const class MidiFileView& view);
    // Writes with running status for channel messages; throws MidiFileError when the events of
    // a track are out of tick order.
    std::vector<std::uint8_t> serialize() const;

    bool operator==(const MidiFile&) const = default;
};

// The events of one track chunk read one at a time from the file's bytes, in file order, for
// files too long to hold as events. The chunk must have been checked, as MidiFileView does.
class TrackCursor {
public:
    TrackCursor(std::span<const std::uint8_t> file, std::size_t begin, std::size_t end,
                std::size_t trackNumber);

    // The next event into `event`; false after the last, when endTick() holds the track's end.
    // Throws MidiFileError for anything truncated or corrupt.
    bool next(MidiEvent& event);
    std::uint32_t endTick() const { return end; }

private:
    [[noreturn]] void failAt(std::size_t at, const std::string& what) const;
    [[noreturn]] void fail(const std::string& what) const { failAt(offset, what); }
    std::uint8_t byte();
    std::uint8_t dataByte();
    std::uint32_t quantity();
    std::vector<std::uint8_t> block();

    std::span<const std::uint8_t> file;
    std::size_t offset;
    std::size_t limit;
    std::size_t trackNumber;
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    std::uint32_t end = 0;
    bool done = false;
};

// A Standard MIDI File read in place: its header, where each track's events lie in the bytes,
// which must outlive it, and what a player needs before it plays them. Opening reads every
// track once, checking it as MidiFile::parse does, with the same messages, and keeps per track
// the channels that carry notes and the length of each note-on (NoteLengths), and the file's
// tempo and time signature events; it holds none of the other events.
class MidiFileView {
public:
    static MidiFileView open(std::span<const std::uint8_t> bytes);

    std::uint16_t format() const { return formatNumber; }
    std::uint16_t division() const { return ticksDivision; }
    std::size_t trackCount() const { return tracks.size(); }
    std::size_t eventCount() const { return events; }
    std::size_t eventCount(std::size_t track) const { return tracks[track].events; }
    std::uint32_t endTick(std::size_t track) const { return tracks[track].endTick; }
    // The bytes of a track's chunk, its header aside.
    std::size_t byteCount(std::size_t track) const {
        return tracks[track].end - tracks[track].begin;
    }
    // Bit n set when channel n + 1 has a note-on or note-off in the track.
    std::uint16_t noteChannels(std::size_t track) const { return tracks[track].noteChannels; }
    // One per note-on of the track, in track order: what NoteLengths gives.
    std::span<const std::int32_t> noteLengths(std::size_t track) const {
        return tracks[track].lengths;
    }
    // The file's tempo and time signature events, in their tracks: all a TempoMap reads.
    const MidiFile& conductor() const { return conductorEvents; }
    // A cursor over a track's events, which decodes them again.
    TrackCursor track(std::size_t index) const {
        ++reads;
        return TrackCursor(bytes, tracks[index].begin, tracks[index].end, index + 1);
    }
    // How many cursors track(...) has handed out: the decodes after opening.
    std::size_t trackReads() const { return reads; }

private:
    struct Chunk {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t events = 0;
        std::uint32_t endTick = 0;
        std::uint16_t noteChannels = 0;
        std::vector<std::int32_t> lengths;
    };

    std::span<const std::uint8_t> bytes;
    std::uint16_t formatNumber = 1;
    std::uint16_t ticksDivision = 480;
    std::vector<Chunk> tracks;
    std::size_t events = 0;
    MidiFile conductorEvents;
    mutable std::size_t reads = 0;
};

// Writes a file as its events come, track by track or interleaved between tracks, with the
// bytes MidiFile::serialize gives for the same tracks. Each track is encoded in its own chunk as
// its events arrive; events of a track may come out of tick order: the track is then held until
// it ends and sorted by tick, equal ticks keeping their order, as a sequencer places them. An
// error that serialize would report is kept and thrown by take(), so the work that feeds the
// writer reports its own errors first.
class MidiFileWriter {
public:
    MidiFileWriter(std::uint16_t format, std::uint16_t division, std::size_t trackCount);

    // Room for about `bytes` of the track's chunk; pages never written take no memory.
    void reserve(std::size_t track, std::size_t bytes);
    void add(std::size_t track, const MidiEvent& event);
    // Once per track, after its last event: `endTick` is where End of Track goes, when no event
    // is later.
    void endTrack(std::size_t track, std::uint32_t endTick);
    std::size_t eventCount() const { return count; }
    // The file, every track ended; throws MidiFileError when it cannot be written.
    std::vector<std::uint8_t> take();

private:
    struct Track {
        // The chunk, tag and length first; the file's header before it for the first track.
        std::vector<std::uint8_t> bytes;
        std::size_t start = 0;
        std::uint32_t lastTick = 0;
        std::uint8_t runningStatus = 0;
        bool holding = false;
        std::vector<MidiEvent> held;
    };

    void hold(Track& track, std::size_t number);

    std::vector<Track> tracks;
    std::string error;
    std::size_t count = 0;
};

} // namespace quorlin::host
