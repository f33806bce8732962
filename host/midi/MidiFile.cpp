#include "host/midi/MidiFile.h"

#include "host/midi/NoteLengths.h"
#include "legato/MidiProtocol.h"

#include <algorithm>
#include <cstdio>

namespace quorlin::host {

namespace {

constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t headerDataSize = 6;
constexpr std::uint32_t maxQuantity = 0x0FFFFFFF; // four bytes of seven bits

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

bool hasTag(std::span<const std::uint8_t> bytes, std::size_t at, const char* tag) {
    for (std::size_t i = 0; i < 4; ++i) {
        if (bytes[at + i] != static_cast<std::uint8_t>(tag[i])) {
            return false;
        }
    }
    return true;
}

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | bytes[at + i];
    }
    return value;
}

// Writes events as a file holds them. A value a file cannot hold is refused: raised, or with a
// `refusals` string kept there (the first one) while the writer goes on in vain, for a caller
// that recovers from it.
class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& target, std::string* refusals = nullptr)
        : out(target), refused(refusals) {}

    void tag(const char* text) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(text[i]));
        }
    }

    void bigEndian(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }

    void quantity(std::uint32_t value) {
        if (value > maxQuantity) {
            refuse("value " + std::to_string(value) + " does not fit a variable-length number");
            return;
        }
        std::uint8_t groups[4];
        int count = 0;
        do {
            groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value != 0);
        while (count > 1) {
            out.push_back(groups[--count] | 0x80);
        }
        out.push_back(groups[0]);
    }

    void block(const MidiPayload& data) {
        if (data.size() > maxQuantity) {
            refuse("an event of " + std::to_string(data.size()) +
                   " bytes does not fit a variable-length number");
            return;
        }
        quantity(static_cast<std::uint32_t>(data.size()));
        for (std::uint8_t byte : data) {
            out.push_back(byte);
        }
    }

    // A track chunk's tag and a length that endTrack fills in; gives where the chunk starts.
    std::size_t beginTrack() {
        std::size_t start = out.size();
        tag("MTrk");
        bigEndian(0, 4);
        return start;
    }

    void event(const MidiEvent& event, std::uint32_t& lastTick, std::uint8_t& runningStatus) {
        quantity(event.tick - lastTick);
        lastTick = event.tick;
        if (event.isChannelMessage()) {
            if (event.status != runningStatus) {
                out.push_back(event.status);
                runningStatus = event.status;
            }
            out.push_back(event.data1 & midi::dataMask);
            if (MidiEvent::hasSecondDataByte(event.status)) {
                out.push_back(event.data2 & midi::dataMask);
            }
            return;
        }
        // Meta and system-exclusive events cancel running status for strict readers.
        runningStatus = 0;
        out.push_back(event.status);
        if (event.isMeta()) {
            out.push_back(event.metaType() & midi::dataMask);
        }
        block(event.payload);
    }

    void endTrack(std::size_t start, std::uint32_t endTick, std::uint32_t lastTick,
                  std::size_t trackNumber) {
        quantity(endTick > lastTick ? endTick - lastTick : 0);
        out.push_back(MidiEvent::metaStatus);
        out.push_back(MidiEvent::endOfTrackType);
        out.push_back(0);
        std::size_t lengthAt = start + 4;
        std::size_t bytes = out.size() - lengthAt - 4;
        // A chunk length has 32 bits; a longer track cannot be written, rather than wrap.
        if (bytes > std::size_t{0xFFFFFFFF}) {
            refuse("track " + std::to_string(trackNumber) + " is " + std::to_string(bytes) +
                   " bytes long, more than a chunk can hold");
            return;
        }
        auto length = static_cast<std::uint32_t>(bytes);
        for (int i = 0; i < 4; ++i) {
            out[lengthAt + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(length >> (8 * (3 - i)));
        }
    }

    void track(const MidiTrack& track, std::size_t trackNumber) {
        std::size_t start = beginTrack();
        std::uint32_t lastTick = 0;
        std::uint8_t runningStatus = 0;
        for (const MidiEvent& each : track.events) {
            if (each.tick < lastTick) {
                Failure::raise(MidiFileError("track " + std::to_string(trackNumber) +
                                             ": events out of tick order at tick " +
                                             std::to_string(each.tick)));
            }
            event(each, lastTick, runningStatus);
        }
        endTrack(start, track.endTick, lastTick, trackNumber);
    }

    void header(std::uint16_t format, std::size_t trackCount, std::uint16_t division) {
        tag("MThd");
        bigEndian(headerDataSize, 4);
        bigEndian(format, 2);
        bigEndian(static_cast<std::uint32_t>(trackCount), 2);
        bigEndian(division, 2);
    }

private:
    void refuse(const std::string& what) {
        if (refused == nullptr) {
            Failure::raise(MidiFileError(what));
        }
        if (refused->empty()) {
            *refused = what;
        }
    }

    std::vector<std::uint8_t>& out;
    std::string* refused;
};

} // namespace

TrackCursor::TrackCursor(std::span<const std::uint8_t> bytes, std::size_t begin,
                         std::size_t chunkEnd, std::size_t number)
    : file(bytes), offset(begin), limit(chunkEnd), trackNumber(number) {}

bool TrackCursor::next(MidiEvent& event) {
    if (done) {
        return false;
    }
    if (offset >= limit) {
        // No End of Track event: the track ends with its last event.
        end = static_cast<std::uint32_t>(tick);
        done = true;
        return false;
    }
    tick += quantity();
    if (tick > MidiFile::maxTick) {
        fail("tick " + std::to_string(tick) + " is beyond the supported range");
    }
    std::size_t eventStart = offset;
    std::uint8_t status = byte();
    if (status < MidiEvent::noteOff) {
        // Running status: the byte just read is the first data byte.
        if (runningStatus == 0) {
            failAt(eventStart, "data byte " + hexByte(status) + " without a status");
        }
        --offset;
        status = runningStatus;
    }
    auto at = static_cast<std::uint32_t>(tick);
    if (status < MidiEvent::sysExStatus) {
        runningStatus = status;
        std::uint8_t data1 = dataByte();
        std::uint8_t data2 = MidiEvent::hasSecondDataByte(status) ? dataByte() : 0;
        event = MidiEvent::channelMessage(at, status, data1, data2);
        return true;
    }
    if (status == MidiEvent::metaStatus) {
        std::uint8_t type = dataByte();
        std::vector<std::uint8_t> data = block();
        if (type == MidiEvent::endOfTrackType) {
            // Whatever follows the end of the track is not part of it.
            end = at;
            done = true;
            return false;
        }
        event = MidiEvent::meta(at, type, std::move(data));
        return true;
    }
    if (status == MidiEvent::sysExStatus || status == MidiEvent::escapeStatus) {
        event = MidiEvent{at, status, 0, 0, block()};
        return true;
    }
    failAt(eventStart, "unknown status byte " + hexByte(status));
}

void TrackCursor::failAt(std::size_t at, const std::string& what) const {
    Failure::raise(MidiFileError("track " + std::to_string(trackNumber) + ", byte " +
                                 std::to_string(at) + ": " + what));
}

std::uint8_t TrackCursor::byte() {
    if (offset >= limit) {
        fail("event runs past the end of the track");
    }
    return file[offset++];
}

std::uint8_t TrackCursor::dataByte() {
    std::uint8_t value = byte();
    if (value >= 0x80) {
        failAt(offset - 1, "expected a data byte, found " + hexByte(value));
    }
    return value;
}

std::uint32_t TrackCursor::quantity() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        std::uint8_t part = byte();
        value = (value << 7) | (part & 0x7F);
        if ((part & 0x80) == 0) {
            return value;
        }
    }
    fail("variable-length number longer than four bytes");
}

std::vector<std::uint8_t> TrackCursor::block() {
    std::size_t lengthAt = offset;
    std::uint32_t length = quantity();
    if (length > limit - offset) {
        failAt(lengthAt, "length " + std::to_string(length) + " runs past the end of the track");
    }
    std::vector<std::uint8_t> data(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                   file.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
    return data;
}

MidiFileView MidiFileView::open(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < chunkHeaderSize || !hasTag(bytes, 0, "MThd")) {
        Failure::raise(MidiFileError("not a Standard MIDI File (no MThd header)"));
    }
    std::uint32_t headerLength = bigEndian(bytes, 4, 4);
    if (headerLength < headerDataSize) {
        Failure::raise(MidiFileError("header chunk of " + std::to_string(headerLength) +
                                     " bytes is too short"));
    }
    if (headerLength > bytes.size() - chunkHeaderSize) {
        Failure::raise(MidiFileError("header chunk runs past the end of the file"));
    }
    MidiFileView file;
    file.bytes = bytes;
    file.formatNumber = static_cast<std::uint16_t>(bigEndian(bytes, 8, 2));
    std::uint32_t declaredTracks = bigEndian(bytes, 10, 2);
    file.ticksDivision = static_cast<std::uint16_t>(bigEndian(bytes, 12, 2));
    if (file.formatNumber > 2) {
        Failure::raise(MidiFileError("unsupported format " + std::to_string(file.formatNumber)));
    }
    if (file.formatNumber == 0 && declaredTracks != 1) {
        Failure::raise(MidiFileError("a format 0 file must hold one track, the header declares " +
                                     std::to_string(declaredTracks)));
    }
    if (file.ticksDivision == 0) {
        Failure::raise(MidiFileError("division of 0 ticks per quarter note"));
    }

    std::size_t offset = chunkHeaderSize + headerLength;
    file.tracks.reserve(declaredTracks);
    file.conductorEvents.format = file.formatNumber;
    file.conductorEvents.division = file.ticksDivision;
    // One table of open notes serves every track: finish() leaves it empty.
    NoteLengths lengths;
    MidiEvent event;
    while (offset < bytes.size()) {
        if (bytes.size() - offset < chunkHeaderSize) {
            Failure::raise(
                MidiFileError("byte " + std::to_string(offset) + ": truncated chunk header"));
        }
        std::uint32_t length = bigEndian(bytes, offset + 4, 4);
        std::size_t dataStart = offset + chunkHeaderSize;
        if (length > bytes.size() - dataStart) {
            Failure::raise(MidiFileError("byte " + std::to_string(offset) + ": chunk length " +
                                         std::to_string(length) +
                                         " runs past the end of the file"));
        }
        if (hasTag(bytes, offset, "MTrk")) {
            if (file.tracks.size() == declaredTracks) {
                Failure::raise(MidiFileError("more track chunks than the " +
                                             std::to_string(declaredTracks) +
                                             " the header declares"));
            }
            Chunk& chunk = file.tracks.emplace_back();
            chunk.begin = dataStart;
            chunk.end = dataStart + length;
            MidiTrack& conductor = file.conductorEvents.tracks.emplace_back();
            TrackCursor cursor(bytes, chunk.begin, chunk.end, file.tracks.size());
            while (cursor.next(event)) {
                ++chunk.events;
                if (event.isNote()) {
                    chunk.noteChannels |= static_cast<std::uint16_t>(1U << event.channel());
                    lengths.add(event);
                } else if (event.isMeta() && (event.metaType() == MidiEvent::tempoType ||
                                              event.metaType() == midi::metaTimeSignature)) {
                    conductor.events.push_back(event);
                }
            }
            chunk.lengths = lengths.finish();
            chunk.endTick = cursor.endTick();
            file.events += chunk.events;
        }
        offset = dataStart + length;
    }
    if (file.tracks.size() != declaredTracks) {
        Failure::raise(MidiFileError("the header declares " + std::to_string(declaredTracks) +
                                     " tracks, the file holds " +
                                     std::to_string(file.tracks.size())));
    }
    return file;
}

MidiFile MidiFile::parse(std::span<const std::uint8_t> bytes) {
    return read(MidiFileView::open(bytes));
}

MidiFile MidiFile::read(const MidiFileView& view) {
    MidiFile file;
    file.format = view.format();
    file.division = view.division();
    file.tracks.resize(view.trackCount());
    for (std::size_t i = 0; i < view.trackCount(); ++i) {
        MidiTrack& track = file.tracks[i];
        track.events.reserve(view.eventCount(i));
        TrackCursor cursor = view.track(i);
        MidiEvent event;
        while (cursor.next(event)) {
            track.events.push_back(std::move(event));
        }
        track.endTick = cursor.endTick();
    }
    return file;
}

std::vector<std::uint8_t> MidiFile::serialize() const {
    if (tracks.size() > 0xFFFF) {
        Failure::raise(MidiFileError("more than 65535 tracks"));
    }
    std::vector<std::uint8_t> out;
    std::size_t eventCount = 0;
    for (const MidiTrack& track : tracks) {
        eventCount += track.events.size();
    }
    out.reserve(14 + tracks.size() * 12 + eventCount * 4);
    Writer writer(out);
    writer.header(format, tracks.size(), division);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        writer.track(tracks[i], i + 1);
    }
    return out;
}

MidiFileWriter::MidiFileWriter(std::uint16_t format, std::uint16_t division,
                               std::size_t trackCount) {
    if (trackCount > 0xFFFF) {
        error = "more than 65535 tracks";
        return;
    }
    tracks.resize(trackCount);
    std::vector<std::uint8_t> header;
    Writer(header).header(format, trackCount, division);
    if (tracks.empty()) {
        tracks.emplace_back().bytes = std::move(header);
        return;
    }
    for (Track& track : tracks) {
        if (&track == &tracks.front()) {
            track.bytes = header;
        }
        track.start = track.bytes.size();
        Writer(track.bytes).beginTrack();
    }
}

void MidiFileWriter::reserve(std::size_t track, std::size_t bytes) {
    if (error.empty()) {
        tracks[track].bytes.reserve(tracks[track].start + chunkHeaderSize + bytes);
    }
}

void MidiFileWriter::add(std::size_t number, const MidiEvent& event) {
    ++count;
    if (!error.empty()) {
        return;
    }
    Track& track = tracks[number];
    if (!track.holding && event.tick >= track.lastTick) {
        std::size_t before = track.bytes.size();
        std::string refused;
        Writer(track.bytes, &refused).event(event, track.lastTick, track.runningStatus);
        if (refused.empty()) {
            return;
        }
        // Whether it fails once the track is in order is for endTrack to tell.
        track.bytes.resize(before);
    }
    if (!track.holding) {
        hold(track, number + 1);
    }
    track.held.push_back(event);
}

void MidiFileWriter::hold(Track& track, std::size_t number) {
    // What went out of this track so far comes back as events, to be sorted with the rest.
    std::size_t events = track.start + chunkHeaderSize;
    TrackCursor written(track.bytes, events, track.bytes.size(), number);
    MidiEvent event;
    while (written.next(event)) {
        track.held.push_back(std::move(event));
    }
    track.bytes.resize(events);
    track.holding = true;
}

void MidiFileWriter::endTrack(std::size_t number, std::uint32_t endTick) {
    if (!error.empty()) {
        return;
    }
    Track& track = tracks[number];
    // What cannot be written is kept as the file's error; take() raises it.
    Writer writer(track.bytes, &error);
    if (track.holding) {
        std::stable_sort(
            track.held.begin(), track.held.end(),
            [](const MidiEvent& left, const MidiEvent& right) { return left.tick < right.tick; });
        track.lastTick = 0;
        track.runningStatus = 0;
        for (const MidiEvent& event : track.held) {
            writer.event(event, track.lastTick, track.runningStatus);
        }
        track.held = {};
        track.holding = false;
    }
    writer.endTrack(track.start, endTick, track.lastTick, number + 1);
    if (!error.empty()) {
        tracks = {};
    }
}

std::vector<std::uint8_t> MidiFileWriter::take() {
    if (!error.empty()) {
        Failure::raise(MidiFileError(error));
    }
    // The first track's bytes, the header before them, become the file: a file of one long
    // track is not copied.
    std::vector<std::uint8_t> out = std::move(tracks.front().bytes);
    std::size_t size = out.size();
    for (std::size_t i = 1; i < tracks.size(); ++i) {
        size += tracks[i].bytes.size();
    }
    out.reserve(size);
    for (std::size_t i = 1; i < tracks.size(); ++i) {
        out.insert(out.end(), tracks[i].bytes.begin(), tracks[i].bytes.end());
        tracks[i].bytes = {};
    }
    tracks = {};
    return out;
}

} // namespace quorlin::host
