#include "host/midi/TempoMap.h"

#include <gtest/gtest.h>

namespace quorlin::host {
namespace {

MidiEvent tempo(std::uint32_t tick, std::uint32_t microseconds) {
    return MidiEvent::meta(tick, MidiEvent::tempoType,
                           {static_cast<std::uint8_t>(microseconds >> 16),
                            static_cast<std::uint8_t>(microseconds >> 8),
                            static_cast<std::uint8_t>(microseconds)});
}

MidiEvent signature(std::uint32_t tick, std::uint8_t numerator, std::uint8_t power) {
    return MidiEvent::meta(tick, 0x58, {numerator, power, 24, 8});
}

MidiEvent noteAt(std::uint32_t tick) {
    return MidiEvent::channelMessage(tick, MidiEvent::noteOn, 60, 100);
}

MidiFile fileOf(std::uint16_t format, std::uint16_t division, std::vector<MidiTrack> tracks) {
    MidiFile file;
    file.format = format;
    file.division = division;
    file.tracks = std::move(tracks);
    return file;
}

TEST(HostTempoMapTest, CountsSecondsAcrossTempoChangesOfTheConductorTrack) {
    // 120 bpm, then 60 bpm from the second bar: the conductor track governs the note track.
    MidiFile file = fileOf(
        1, 480,
        {{{tempo(0, 500000), tempo(1920, 1000000)}, 1920}, {{noteAt(0), noteAt(2400)}, 2400}});
    TempoMap map(file, 1);
    EXPECT_FALSE(map.countsSeconds());
    EXPECT_DOUBLE_EQ(map.ticksPerUnit(), 480.0);
    EXPECT_DOUBLE_EQ(map.seconds(0), 0.0);
    EXPECT_DOUBLE_EQ(map.seconds(480), 0.5);
    EXPECT_DOUBLE_EQ(map.seconds(1920), 2.0);
    EXPECT_DOUBLE_EQ(map.seconds(2400), 3.0);
    EXPECT_EQ(map.tempoChanges(), 1u);
    EXPECT_EQ(map.describeStart(), "120 bpm, 4/4");

    // In format 2 every track keeps its own tempo: the second knows only the default.
    MidiFile independent = fileOf(2, 480, {{{tempo(0, 1000000)}, 0}, {{noteAt(0)}, 960}});
    EXPECT_DOUBLE_EQ(TempoMap(independent, 0).seconds(480), 1.0);
    EXPECT_DOUBLE_EQ(TempoMap(independent, 1).seconds(480), 0.5);
    // A later tempo event at the same tick wins; fractional tempi keep their decimal.
    MidiFile twice = fileOf(0, 96, {{{tempo(0, 500000), tempo(0, 600000)}, 0}});
    EXPECT_EQ(TempoMap(twice, 0).describeStart(), "100 bpm, 4/4");
    EXPECT_EQ(TempoMap(fileOf(0, 96, {{{tempo(0, 480000)}, 0}}), 0).describeStart(),
              "125 bpm, 4/4");
    EXPECT_EQ(TempoMap(fileOf(0, 96, {{{tempo(0, 700000)}, 0}}), 0).describeStart(),
              "85.7 bpm, 4/4");
}

TEST(HostTempoMapTest, NumbersBarsAndBeatsThroughTimeSignatureChanges) {
    // 4/4 for two bars, 3/4 from tick 3840, 6/8 from the middle of a 3/4 bar at 4800.
    MidiFile file = fileOf(0, 480,
                           {{{signature(0, 4, 2), signature(3840, 3, 2), signature(4800, 6, 3),
                              signature(5000, 0, 2), signature(5000, 4, 12)},
                             6000}});
    TempoMap map(file, 0);
    const std::vector<TempoMap::Meter>& meters = map.meters();
    ASSERT_EQ(meters.size(), 3u); // a zero numerator and a beat below one tick are ignored
    EXPECT_EQ(meters[0].barTicks, 1920u);
    EXPECT_EQ(meters[1].tick, 3840u);
    EXPECT_EQ(meters[1].firstBar, 3u);
    EXPECT_EQ(meters[1].barTicks, 1440u);
    EXPECT_EQ(meters[1].beatTicks, 480u);
    // The broken 3/4 bar (bar 3, ticks 3840..4800) counts; 6/8 starts bar 4.
    EXPECT_EQ(meters[2].firstBar, 4u);
    EXPECT_EQ(meters[2].beatTicks, 240u);
    EXPECT_EQ(meters[2].barTicks, 1440u);
    EXPECT_EQ(meters[2].denominator, 8u);

    auto position = [&](std::uint32_t tick) {
        TempoMap::Position at = map.position(tick);
        return std::to_string(at.bar) + "." + std::to_string(at.beat);
    };
    EXPECT_EQ(position(0), "1.1");
    EXPECT_EQ(position(2400), "2.2");
    EXPECT_EQ(position(4320), "3.2");
    EXPECT_EQ(position(4800 + 1440 + 250), "5.2");
}

TEST(HostTempoMapTest, CountsSmpteFilesInSeconds) {
    // 25 frames per second of 40 ticks: 1000 ticks per second, bars are seconds.
    MidiFile file = fileOf(0, 0xE728, {{{noteAt(0), tempo(0, 1000000)}, 5000}});
    TempoMap map(file, 0);
    EXPECT_TRUE(map.countsSeconds());
    EXPECT_DOUBLE_EQ(map.ticksPerUnit(), 1000.0);
    EXPECT_DOUBLE_EQ(map.seconds(2500), 2.5); // tempo events do not apply
    ASSERT_EQ(map.meters().size(), 1u);
    EXPECT_EQ(map.meters()[0].barTicks, 1000u);
    EXPECT_EQ(map.position(2500).bar, 3u);
    // 29 stands for the 29.97 drop-frame rate.
    EXPECT_DOUBLE_EQ(TempoMap(fileOf(0, 0xE302, {{{}, 0}}), 0).ticksPerUnit(), 59.94);
}

} // namespace
} // namespace quorlin::host
