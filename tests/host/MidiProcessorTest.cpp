#include "host/plugin/MidiProcessor.h"
#include "ScriptedModule.h"
#include "host/midi/NoteLengths.h"
#include "host/plugin/LibraryPlayers.h"

#include "legato/MidiProtocol.h"

#include <gtest/gtest.h>

namespace quorlin::host {
namespace {

using testing::ModuleRecord;
using testing::ScriptedModule;

MidiEvent cc(std::uint32_t tick, std::uint8_t channel, std::uint8_t controller,
             std::uint8_t value) {
    return MidiEvent::channelMessage(
        tick, static_cast<std::uint8_t>(midi::statusController | channel), controller, value);
}

MidiEvent on(std::uint32_t tick, std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) {
    return MidiEvent::channelMessage(tick, static_cast<std::uint8_t>(midi::statusNoteOn | channel),
                                     key, velocity);
}

MidiEvent off(std::uint32_t tick, std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) {
    return MidiEvent::channelMessage(tick, static_cast<std::uint8_t>(midi::statusNoteOff | channel),
                                     key, velocity);
}

MidiFile oneTrack(std::vector<MidiEvent> events, std::uint32_t endTick) {
    MidiFile file;
    file.format = 0;
    file.division = 96;
    file.tracks.push_back(MidiTrack{std::move(events), endTick});
    return file;
}

class HostMidiProcessorTest : public ::testing::Test {
protected:
    MidiFile run(const MidiFile& file, EventLog* log = nullptr, std::int32_t laterPosition = -1,
                 MidiProcessor::View view = MidiProcessor::View::Synthesizer) {
        LibraryPlayers players(
            [&] {
                return InterfacePointer<ModuleInterface>(new ScriptedModule(record, laterPosition));
            },
            std::nullopt);
        MidiProcessor processor(players, log, {}, view);
        std::vector<std::uint8_t> bytes = file.serialize();
        MidiFileView input = MidiFileView::open(bytes);
        MidiFileWriter writer(input.format(), input.division(), input.trackCount());
        processor.process(input, writer);
        // Each track was read once to be checked and once more to be played.
        EXPECT_EQ(input.trackReads(), input.trackCount());
        // Every reference the modules took on the host's objects came back.
        EXPECT_EQ(players.eventServices().references(), 1);
        EXPECT_EQ(players.hostContext().references(), 1);
        EXPECT_EQ(players.eventServices().eventsInUse(), 0u);
        return MidiFile::parse(writer.take());
    }

    ModuleRecord record;
};

TEST_F(HostMidiProcessorTest, DrivesAnInstanceThroughItsLifeAndKeepsChannelsAndBypassedEvents) {
    const MidiEvent name = MidiEvent::meta(0, midi::metaTrackName, {'x'});
    const MidiEvent sysEx{10, MidiEvent::sysExStatus, 0, 0, {0x01, MidiEvent::escapeStatus}};
    const MidiEvent drum = on(0, 9, 36, 100);
    const MidiEvent drumOff = off(20, 9, 36, 0);
    MidiFile file = oneTrack({name, on(0, 3, 60, 100), drum, cc(10, 3, 7, 80), sysEx,
                              on(10, 5, 62, 90), on(20, 3, 60, 0), drumOff, off(30, 5, 62, 0)},
                             40);
    MidiFile result = run(file);

    // One instance per channel with notes, the drum channel left out: each sends on its own
    // channel, and the input keeps its order within each tick.
    std::vector<MidiEvent> expected = {
        cc(0, 3, midi::controllerPortamentoTime,
           40), // from the position call of channel 4's instance
        name,
        cc(0, 3, midi::controllerPortamento,
           1), // created while the note on channel 4 was processed
        on(0, 3, 60, 100),
        drum,
        cc(10, 5, midi::controllerPortamentoTime,
           40), // channel 6's instance starts playing at tick 10
        cc(10, 3, 7, 80),
        sysEx,
        cc(10, 5, midi::controllerPortamento, 1),
        on(10, 5, 62, 90),
        on(20, 3, 60, 0),
        drumOff,
        off(30, 5, 62, 0),
    };
    ASSERT_EQ(result.tracks.size(), 1u);
    EXPECT_EQ(result.tracks[0].events, expected);
    EXPECT_EQ(result.tracks[0].endTick, 40u);
    EXPECT_EQ(result.format, 0);
    EXPECT_EQ(result.division, 96);

    // Statuses arrive without channel bits; note-ons carry the distance to their note-off. Each
    // instance has a position call at the ticks where its channel has events.
    std::vector<std::string> calls = {"initialize",
                                      "start",
                                      "initialize",
                                      "start",
                                      "time 0",
                                      "event 144 60 100 at 0 length 20",
                                      "time 10",
                                      "time 10",
                                      "event 176 7 80 at 10 length 0",
                                      "event 144 62 90 at 10 length 20",
                                      "time 20",
                                      "event 144 60 0 at 20 length 0",
                                      "time 30",
                                      "event 128 62 0 at 30 length 0",
                                      "stop",
                                      "terminate",
                                      "stop",
                                      "terminate"};
    EXPECT_EQ(record.calls, calls);
    EXPECT_EQ(record.created, 2);
    EXPECT_EQ(record.destroyed, 2);
}

TEST_F(HostMidiProcessorTest, PerTrackEachTrackHasItsInstancesAndTheSynthesizerViewOnePerChannel) {
    MidiFile file;
    file.format = 1;
    file.division = 480;
    MidiTrack tempo{{MidiEvent::meta(0, midi::metaTempo, {0x07, 0xA1, 0x20})}, 0};
    MidiTrack controllers{{cc(0, 0, 7, 100), cc(5, 0, 10, 64)}, 5};
    MidiTrack first{{on(0, 0, 60, 100), off(10, 0, 60, 0)}, 10};
    MidiTrack second{{on(3, 0, 64, 100), off(9, 0, 64, 0)}, 12};
    file.tracks = {tempo, controllers, first, second};

    MidiFile perTrack = run(file, nullptr, -1, MidiProcessor::View::PerTrack);
    ASSERT_EQ(perTrack.tracks.size(), 4u);
    EXPECT_EQ(perTrack.tracks[0], tempo);
    EXPECT_EQ(perTrack.tracks[1], controllers);
    EXPECT_EQ(record.created, 2);
    EXPECT_EQ(record.destroyed, 2);
    // A fresh instance: the second track sees its first position call again, and E4 is struck
    // for want of the first track's held C4.
    EXPECT_EQ(perTrack.tracks[3].events,
              (std::vector<MidiEvent>{cc(3, 0, midi::controllerPortamentoTime, 40),
                                      cc(3, 0, midi::controllerPortamento, 1), on(3, 0, 64, 100),
                                      off(9, 0, 64, 0)}));
    EXPECT_EQ(perTrack.tracks[3].endTick, 12u);

    // One instance hears the channel: every track's events on it in time, what it sends in the
    // track of the event that caused it. The controllers track's events go through it too.
    record = {};
    MidiFile heard = run(file);
    EXPECT_EQ(record.created, 1);
    EXPECT_EQ(heard.tracks[0], tempo);
    EXPECT_EQ(heard.tracks[1].events,
              (std::vector<MidiEvent>{cc(0, 0, midi::controllerPortamentoTime, 40),
                                      cc(0, 0, 7, 100), cc(5, 0, 10, 64)}));
    EXPECT_EQ(heard.tracks[2].events.front(), cc(0, 0, midi::controllerPortamento, 1));
    EXPECT_EQ(heard.tracks[3].events,
              (std::vector<MidiEvent>{cc(3, 0, midi::controllerPortamento, 1), on(3, 0, 64, 100),
                                      off(9, 0, 64, 0)}));
    EXPECT_EQ(heard.tracks[3].endTick, 12u);
    EXPECT_EQ(record.calls[3], "event 176 7 100 at 0 length 0");
}

TEST_F(HostMidiProcessorTest, EventsSentForALaterPositionMoveThereAndExtendTheTrack) {
    MidiFile file = oneTrack(
        {on(0, 0, 60, 100), off(100, 0, 60, 0), on(100, 0, 62, 100), off(110, 0, 62, 0)}, 110);
    MidiFile result = run(file, nullptr, 100);
    const std::vector<MidiEvent>& events = result.tracks[0].events;
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events[0], cc(0, 0, midi::controllerPortamentoTime, 40));
    EXPECT_EQ(events[3], cc(100, 0, 7, 99)); // sent first, so first at its tick
    EXPECT_EQ(events[4], off(100, 0, 60, 0));

    MidiFile beyond = run(file, nullptr, 500);
    EXPECT_EQ(beyond.tracks[0].events.back(), cc(500, 0, 7, 99));
    EXPECT_EQ(beyond.tracks[0].endTick, 500u);
}

TEST_F(HostMidiProcessorTest, LogHasARowPerEventAndPerProductivePositionCall) {
    EventLog log;
    MidiFile file = oneTrack(
        {MidiEvent::meta(0, midi::metaTrackName, {'x'}), on(0, 0, 60, 100), off(10, 0, 60, 0)}, 10);
    run(file, &log);
    const std::vector<EventLog::Row>& rows = log.entries();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_FALSE(rows[0].in.has_value());
    EXPECT_EQ(rows[0].out, std::vector<MidiEvent>{cc(0, 0, midi::controllerPortamentoTime, 40)});
    EXPECT_EQ(rows[1].out, std::vector<MidiEvent>{*rows[1].in});
    EXPECT_EQ(rows[2].out,
              (std::vector<MidiEvent>{cc(0, 0, midi::controllerPortamento, 1), on(0, 0, 60, 100)}));
    EXPECT_EQ(rows[3].tick, 10u);
    EXPECT_EQ(rows[3].track, 1u);
}

TEST(HostNoteLengthsTest, PairsEachNoteOnWithTheNoteOffThatEndsIt) {
    MidiTrack track{{on(0, 0, 60, 100), // 0: ended by 4 (first open C4 ends first)
                     on(5, 0, 60, 100), // 1: ended by 5
                     on(6, 1, 60, 100), // 2: other channel, never ended
                     on(8, 0, 64, 100), // 3: ended by the velocity 0 note-on
                     off(10, 0, 60, 0), // 4
                     off(12, 0, 60, 0), // 5
                     on(15, 0, 64, 0),  // 6
                     off(20, 0, 67, 0), // 7: nothing to end
                     MidiEvent::meta(20, 0x01, {})},
                    20};
    EXPECT_EQ(noteLengths(track), (std::vector<std::int32_t>{10, 7, 0, 7, 0, 0, 0, 0, 0}));
}

} // namespace
} // namespace quorlin::host
