#include "host/midi/MidiFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlin::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Byte by byte: GCC 12 sees bounds problems in range inserts of small vectors that are not there.
void append(Bytes& to, const Bytes& from) {
    for (std::uint8_t byte : from) {
        to.push_back(byte);
    }
}

Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            static_cast<std::uint8_t>(format >> 8),
            static_cast<std::uint8_t>(format),
            static_cast<std::uint8_t>(tracks >> 8),
            static_cast<std::uint8_t>(tracks),
            static_cast<std::uint8_t>(division >> 8),
            static_cast<std::uint8_t>(division)};
}

Bytes chunk(const char* tag, const Bytes& data) {
    Bytes bytes(tag, tag + 4);
    auto size = static_cast<std::uint32_t>(data.size());
    append(bytes, {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                   static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    append(bytes, data);
    return bytes;
}

Bytes fileOf(std::uint16_t format, std::uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes bytes = header(format, static_cast<std::uint16_t>(tracks.size()), division);
    for (const Bytes& track : tracks) {
        append(bytes, chunk("MTrk", track));
    }
    return bytes;
}

// A format 0 file written by hand: running status, and a system-exclusive event after which the
// writer repeats the status byte.
const Bytes handWritten = fileOf(0, 96, {{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, // tempo
                                          0x00, 0x90, 0x3C, 0x64,                   // C4 on
                                          0x60, 0x3E, 0x64,                   // D4 on, running
                                          0x81, 0x40, 0x80, 0x3C, 0x40,       // C4 off at 288
                                          0x00, 0x3E, 0x40,                   // D4 off, running
                                          0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, // system exclusive
                                          0x00, 0x80, 0x3C, 0x00,             // status again
                                          0x60, 0xFF, 0x2F, 0x00}});          // end at 384

MidiFile handWrittenContent() {
    MidiFile file;
    file.format = 0;
    file.division = 96;
    MidiTrack track;
    track.events = {MidiEvent::meta(0, 0x51, {0x07, 0xA1, 0x20}),
                    MidiEvent::channelMessage(0, 0x90, 60, 100),
                    MidiEvent::channelMessage(96, 0x90, 62, 100),
                    MidiEvent::channelMessage(288, 0x80, 60, 64),
                    MidiEvent::channelMessage(288, 0x80, 62, 64),
                    MidiEvent{288, 0xF0, 0, 0, {0x7E, 0x7F, 0xF7}},
                    MidiEvent::channelMessage(288, 0x80, 60, 0)};
    track.endTick = 384;
    file.tracks.push_back(track);
    return file;
}

TEST(HostMidiFileTest, ReadsAndWritesAHandWrittenFileByteForByte) {
    EXPECT_EQ(MidiFile::parse(handWritten), handWrittenContent());
    EXPECT_EQ(handWrittenContent().serialize(), handWritten);
}

TEST(HostMidiFileTest, FormatOneSurvivesARoundTripWithEveryKindOfEvent) {
    MidiFile file;
    file.format = 1;
    file.division = 0xE728; // SMPTE 25 frames, 40 ticks: kept as it is
    MidiTrack tempo;
    tempo.events = {MidiEvent::meta(0, 0x03, {'m', 'a', 'p'}),
                    MidiEvent::meta(0, 0x51, {0x07, 0xA1, 0x20}),
                    MidiEvent::meta(5000, 0x51, {0x06, 0x1A, 0x80})};
    tempo.endTick = 6000;
    MidiTrack notes;
    std::vector<std::uint8_t> longSysEx(200, 0x11);
    longSysEx.back() = 0xF7;
    notes.events = {MidiEvent::channelMessage(0, 0xC5, 12),
                    MidiEvent::channelMessage(0, 0x95, 60, 1),
                    MidiEvent::channelMessage(0, 0x95, 64, 127),
                    MidiEvent{10, 0xF0, 0, 0, longSysEx},
                    MidiEvent{10, 0xF7, 0, 0, {0x43, 0x10}},
                    MidiEvent::channelMessage(10, 0xE5, 0, 64),
                    MidiEvent::channelMessage(10, 0xD5, 90),
                    MidiEvent::channelMessage(0x0FFFFFFF, 0x85, 60, 0),
                    MidiEvent::meta(0x0FFFFFFF, 0x7F, {})};
    notes.endTick = 0x10000000;
    MidiTrack empty;
    file.tracks = {tempo, notes, empty};

    Bytes written = file.serialize();
    EXPECT_EQ(MidiFile::parse(written), file);
    EXPECT_EQ(MidiFile::parse(written).serialize(), written);
}

TEST(HostMidiFileTest, ReaderIsLenientWhereWritersDiffer) {
    // Running status carried over a meta event, an unknown chunk, no End of Track, and bytes
    // after an End of Track.
    Bytes bytes = header(1, 2, 480);
    Bytes alien = chunk("XFIL", {1, 2, 3});
    Bytes first = chunk("MTrk", {0x00, 0x91, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x00, 0x10, 0x3E, 0x64});
    Bytes second = chunk("MTrk", {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C});
    for (const Bytes* part : {&alien, &first, &second}) {
        append(bytes, *part);
    }
    MidiFile file = MidiFile::parse(bytes);
    ASSERT_EQ(file.tracks.size(), 2u);
    ASSERT_EQ(file.tracks[0].events.size(), 3u);
    EXPECT_EQ(file.tracks[0].events[2], MidiEvent::channelMessage(16, 0x91, 62, 100));
    EXPECT_EQ(file.tracks[0].endTick, 16u);
    EXPECT_TRUE(file.tracks[1].events.empty());
}

TEST(HostMidiFileTest, WriterRefusesEventsOutOfOrder) {
    MidiFile file = handWrittenContent();
    std::swap(file.tracks[0].events[1], file.tracks[0].events[2]);
    EXPECT_THROW(file.serialize(), MidiFileError);
}

struct CorruptFile {
    const char* name;
    Bytes bytes;
    const char* message;
};

Bytes longDeltas() {
    Bytes track;
    for (int i = 0; i < 9; ++i) {
        append(track, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00});
    }
    return track;
}

Bytes truncatedBy(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(count));
}

Bytes withTrailer(Bytes bytes, const Bytes& trailer) {
    append(bytes, trailer);
    return bytes;
}

TEST(HostMidiFileTest, CorruptFilesAreRefusedWithTheReason) {
    const CorruptFile cases[] = {
        {"empty", {}, "no MThd header"},
        {"other file", {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, "no MThd header"},
        {"short header chunk", truncatedBy(header(0, 1, 96), 3), "header chunk runs past"},
        {"header length below six", {'M', 'T', 'h', 'd', 0, 0, 0, 4, 0, 0, 0, 1}, "too short"},
        {"format 3", fileOf(3, 96, {{}}), "unsupported format 3"},
        {"format 0 with two tracks", fileOf(0, 96, {{}, {}}), "must hold one track"},
        {"division 0", fileOf(1, 0, {{}}), "division of 0"},
        {"missing track", truncatedBy(fileOf(1, 96, {{0x00, 0xFF, 0x2F, 0x00}, {}}), 8),
         "declares 2 tracks, the file holds 1"},
        {"extra track", withTrailer(fileOf(0, 96, {{}}), chunk("MTrk", {})), "more track chunks"},
        {"chunk past the end", truncatedBy(handWritten, 1), "runs past the end of the file"},
        {"truncated chunk header", withTrailer(handWritten, {'M', 'T', 'r'}),
         "truncated chunk header"},
        {"event past the end", fileOf(0, 96, {{0x00, 0x90, 0x3C}}), "past the end of the track"},
        {"unknown status", fileOf(0, 96, {{0x00, 0xF4, 0x00}}), "unknown status byte 0xF4"},
        {"real-time byte", fileOf(0, 96, {{0x00, 0xF8}}), "unknown status byte 0xF8"},
        {"data without status", fileOf(0, 96, {{0x00, 0x3C, 0x64}}), "without a status"},
        {"status for data", fileOf(0, 96, {{0x00, 0x90, 0x90, 0x40}}), "expected a data byte"},
        {"five-byte number", fileOf(0, 96, {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x40}}),
         "longer than four bytes"},
        {"meta past the end", fileOf(0, 96, {{0x00, 0xFF, 0x01, 0x05, 0x41}}),
         "length 5 runs past the end of the track"},
        {"sysex past the end", fileOf(0, 96, {{0x00, 0xF0, 0x81, 0x00, 0x41}}),
         "length 128 runs past"},
        {"tick out of range", fileOf(0, 96, {longDeltas()}), "beyond the supported range"},
    };
    for (const CorruptFile& corrupt : cases) {
        SCOPED_TRACE(corrupt.name);
        try {
            MidiFile::parse(corrupt.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const MidiFileError& error) {
            EXPECT_NE(std::string(error.what()).find(corrupt.message), std::string::npos)
                << error.what();
        }
    }
}

TEST(HostMidiFileTest, ErrorsNameTheTrackAndByte) {
    // Header 14 bytes, chunk header 8, then the delta time: the bad status is byte 23.
    try {
        MidiFile::parse(fileOf(0, 96, {{0x00, 0xF4}}));
        FAIL() << "accepted";
    } catch (const MidiFileError& error) {
        EXPECT_STREQ(error.what(), "track 1, byte 23: unknown status byte 0xF4");
    }
}

} // namespace
} // namespace quorlin::host
