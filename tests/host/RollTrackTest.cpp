#include "host/render/RollTrack.h"

#include "host/render/GlideOrigins.h"

#include "legato/MidiProtocol.h"

#include <gtest/gtest.h>

namespace quorlin::host {
namespace {

MidiEvent on(std::uint32_t tick, std::uint8_t key, std::uint8_t channel = 0) {
    return MidiEvent::channelMessage(tick, static_cast<std::uint8_t>(midi::statusNoteOn | channel),
                                     key, 100);
}

MidiEvent off(std::uint32_t tick, std::uint8_t key, std::uint8_t channel = 0) {
    return MidiEvent::channelMessage(tick, static_cast<std::uint8_t>(midi::statusNoteOff | channel),
                                     key, 64);
}

MidiEvent cc(std::uint32_t tick, std::uint8_t controller, std::uint8_t value,
             std::uint8_t channel = 0) {
    return MidiEvent::channelMessage(
        tick, static_cast<std::uint8_t>(midi::statusController | channel), controller, value);
}

std::string spans(const RollTrack& roll) {
    std::string text;
    for (const RollTrack::Span& span : roll.portamentoOn) {
        text += "[" + std::to_string(span.start) + "," + std::to_string(span.end) + ")";
    }
    return text;
}

TEST(HostRollTrackTest, PairsNoteOffsWithTheOldestOpenNoteOfTheirChannelAndKey) {
    MidiTrack track{
        {MidiEvent::meta(0, 0x03, {'L', 'e', 'a', 'd'}), MidiEvent::meta(0, 0x03, {'x'}), on(0, 60),
         on(10, 60), on(10, 60, 2), off(15, 62), off(20, 60),
         MidiEvent::channelMessage(30, MidiEvent::noteOn, 60, 0), off(40, 60, 2), on(50, 64)},
        90};
    RollTrack roll = RollTrack::read(track);
    EXPECT_EQ(roll.name, "Lead");
    EXPECT_EQ(roll.channels, 0b101);
    EXPECT_EQ(roll.endTick, 90u);
    ASSERT_EQ(roll.notes.size(), 4u);
    auto shape = [](const RollTrack::Note& note) {
        return std::to_string(note.channel) + ":" + std::to_string(note.key) + " " +
               std::to_string(note.start) + "-" + std::to_string(note.end) +
               (note.ended ? "" : " open");
    };
    EXPECT_EQ(shape(roll.notes[0]), "0:60 0-20");
    EXPECT_EQ(shape(roll.notes[1]), "0:60 10-30"); // velocity 0 ends it
    EXPECT_EQ(shape(roll.notes[2]), "2:60 10-40");
    EXPECT_EQ(shape(roll.notes[3]), "0:64 50-90 open");

    // The end of the track is never before its last event.
    EXPECT_EQ(RollTrack::read(MidiTrack{{on(0, 60), off(70, 60)}, 10}).endTick, 70u);
}

TEST(HostRollTrackTest, NotesGlideFromTheChannelsLastKeyWhilePortamentoIsOn) {
    MidiTrack track{{cc(0, 65, 127), on(0, 60), // no key before it: nothing to glide from
                     cc(10, 65, 127), on(10, 67), off(12, 60), off(20, 67), cc(30, 65, 0),
                     on(30, 64), off(40, 64), cc(50, 65, 64, 1), on(50, 50, 1), on(60, 72, 1),
                     on(70, 62), // channel 1 being on does not make channel 0 glide
                     cc(80, 65, 63, 1), on(80, 74, 1)},
                    100};
    MidiFile file{1, 480, {track}};
    RollTrack roll = RollTrack::read(track, GlideOrigins(file).ofTrack(0));
    std::vector<std::string> glides;
    for (const RollTrack::Note& note : roll.notes) {
        glides.push_back(std::to_string(note.key) + "<" +
                         (note.glideFrom ? std::to_string(*note.glideFrom) : "-"));
    }
    EXPECT_EQ(glides,
              (std::vector<std::string>{"60<-", "67<60", "64<-", "50<-", "72<50", "62<-", "74<-"}));
    EXPECT_EQ(roll.glidingNotes(), 2u);
}

TEST(HostRollTrackTest, PortamentoIsOnWhileAnyChannelHasItOnAndSpeedsAreKept) {
    MidiTrack track{{on(0, 60), cc(10, 65, 127), cc(15, 65, 127), cc(20, 65, 127, 1), cc(30, 65, 0),
                     cc(40, 65, 0, 1), cc(50, 65, 127),
                     cc(50, 65, 0),                    // on and off at one tick: nothing
                     cc(55, 5, 40), cc(56, 7, 100, 3), // volume is no speed
                     cc(60, 65, 127, 2), cc(61, 5, 0, 2)},
                    80};
    RollTrack roll = RollTrack::read(track);
    EXPECT_EQ(spans(roll), "[10,40)[60,80)");
    ASSERT_EQ(roll.speeds.size(), 2u);
    EXPECT_EQ(roll.speeds[0].tick, 55u);
    EXPECT_EQ(roll.speeds[0].value, 40);
    EXPECT_EQ(roll.speeds[1].channel, 2);
    EXPECT_EQ(roll.speeds[1].value, 0);
    EXPECT_EQ(spans(RollTrack::read(MidiTrack{{on(0, 60), off(5, 60)}, 5})), "");
}

} // namespace
} // namespace quorlin::host
