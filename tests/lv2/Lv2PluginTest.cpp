// The bundle as an LV2 host loads it: found by lilv in LV2_PATH, instantiated, fed forged
// sequences cycle by cycle, its output read back event by event.

#include "AllocationCount.h"
#include "PluginUnderTest.h"
#include "legato/MidiProtocol.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <cstring>
#include <limits>
#include <vector>

namespace quorlin::testing {
namespace {

constexpr const char* quorlinUri = "https://www.tessivar.com/plugins/quorlin";
constexpr std::uint32_t cycleFrames = 64;

using Events = std::vector<OutputEvent>;

using Bytes = std::vector<std::uint8_t>;

// Channel messages by name; channels count from 0.
Bytes message(std::int32_t kind, int channel, int first, int second) {
    return {static_cast<std::uint8_t>(kind | channel), static_cast<std::uint8_t>(first),
            static_cast<std::uint8_t>(second)};
}
Bytes noteOn(int channel, int note, int velocity) {
    return message(midi::statusNoteOn, channel, note, velocity);
}
Bytes noteOff(int channel, int note, int velocity) {
    return message(midi::statusNoteOff, channel, note, velocity);
}
Bytes controller(int channel, int number, int value) {
    return message(midi::statusController, channel, number, value);
}
Bytes portamento(int channel, int value) {
    return controller(channel, midi::controllerPortamento, value);
}
Bytes portamentoTime(int channel, int value) {
    return controller(channel, midi::controllerPortamentoTime, value);
}
Bytes pitchBend(int channel, int low, int high) {
    return message(midi::statusPitchBend, channel, low, high);
}
Bytes channelPressure(int channel, int pressure) {
    return {static_cast<std::uint8_t>(midi::statusChannelPressure | channel),
            static_cast<std::uint8_t>(pressure)};
}
Bytes programChange(int channel, int program) {
    return {static_cast<std::uint8_t>(midi::statusProgramChange | channel),
            static_cast<std::uint8_t>(program)};
}
// A system-exclusive message (a universal identity request).
Bytes identityRequest() {
    return {midi::statusSysEx, 0x7E, 0x7F, 0x06, 0x01, midi::statusSysExContinuation};
}

OutputEvent at(std::uint32_t frame, Bytes bytes) {
    return {frame, std::move(bytes)};
}

TEST(Lv2Plugin, LegatoPerChannelWithEverythingElsePassedAtItsFrame) {
    PluginUnderTest plugin(quorlinUri);
    plugin.activate();
    plugin.queue(0, noteOn(0, 60, 100));         // channel 1: first key
    plugin.queue(5, controller(2, 7, 80));       // channel 3: volume
    plugin.queue(10, noteOn(1, 64, 100));        // channel 2: alone on its channel
    plugin.queue(15, pitchBend(0, 0, 72));       // pitch bend
    plugin.queue(20, noteOn(0, 62, 100));        // channel 1: legato over 60
    plugin.queue(25, programChange(1, 5));       // program change
    plugin.queue(30, noteOff(1, 64, 64));        // channel 2: key up
    plugin.queue(35, {midi::statusTimingClock}); // clock
    plugin.queue(40, noteOn(1, 65, 100));        // channel 2: nothing held there
    plugin.queue(42, channelPressure(1, 30));    // channel pressure
    plugin.queue(45, identityRequest());
    plugin.queue(50, noteOn(0, 60, 0));   // velocity 0: channel 1 lets 60 go
    plugin.queue(60, noteOn(0, 67, 100)); // channel 1: 62 still held

    Events expected = {
        at(0, portamento(0, 0)),    at(0, noteOn(0, 60, 100)),         at(5, controller(2, 7, 80)),
        at(10, portamento(1, 0)),   at(10, noteOn(1, 64, 100)),        at(15, pitchBend(0, 0, 72)),
        at(20, portamento(0, 127)), at(20, noteOn(0, 62, 100)),        at(25, programChange(1, 5)),
        at(30, noteOff(1, 64, 64)), at(35, {midi::statusTimingClock}), at(40, portamento(1, 0)),
        at(40, noteOn(1, 65, 100)), at(42, channelPressure(1, 30)),    at(45, identityRequest()),
        at(50, noteOn(0, 60, 0)),   at(60, portamento(0, 127)),        at(60, noteOn(0, 67, 100))};
    // The speed control is "Off": no controller 5 anywhere.
    EXPECT_EQ(plugin.run(cycleFrames), expected);

    plugin.clearInput();
    EXPECT_EQ(plugin.run(cycleFrames), Events{});
}

TEST(Lv2Plugin, PortamentoTimeAfterEachChangeActivateAndFirstNoteOfAChannel) {
    PluginUnderTest plugin(quorlinUri);
    plugin.setControl("speed", 20.0f);
    plugin.activate();
    plugin.queue(10, noteOn(0, 60, 100));
    EXPECT_EQ(plugin.run(cycleFrames),
              (Events{at(10, portamentoTime(0, 20)), at(10, portamento(0, 0)),
                      at(10, noteOn(0, 60, 100))}));
    plugin.clearInput();
    EXPECT_EQ(plugin.run(cycleFrames), Events{}) << "controller 5 once per change";

    // A change reaches the active channel at the cycle's start, a new channel before its note.
    plugin.setControl("speed", 40.0f);
    plugin.queue(5, noteOn(1, 64, 100));
    EXPECT_EQ(plugin.run(cycleFrames),
              (Events{at(0, portamentoTime(0, 40)), at(5, portamentoTime(1, 40)),
                      at(5, portamento(1, 0)), at(5, noteOn(1, 64, 100))}));
    plugin.clearInput();

    plugin.deactivate();
    plugin.activate();
    EXPECT_EQ(plugin.run(cycleFrames),
              (Events{at(0, portamentoTime(0, 40)), at(0, portamentoTime(1, 40))}));

    plugin.setControl("speed", 300.0f); // clamped to the range
    EXPECT_EQ(plugin.run(cycleFrames),
              (Events{at(0, portamentoTime(0, 127)), at(0, portamentoTime(1, 127))}));

    plugin.setControl("speed", -1.0f); // "Off"
    EXPECT_EQ(plugin.run(cycleFrames), Events{});
    plugin.deactivate();
    plugin.activate();
    EXPECT_EQ(plugin.run(cycleFrames), Events{});
}

TEST(Lv2Plugin, FrameCountWrapsAndTransportStopsAndStarts) {
    PluginUnderTest plugin(quorlinUri);
    plugin.setControl("speed", 10.0f);
    plugin.activate();
    plugin.runOnly(0xFFFFFFF0u); // the running count is 16 frames short of wrapping

    plugin.queue(8, noteOn(0, 60, 100));
    plugin.queue(20, noteOn(0, 62, 100)); // after the wrap, 60 still held
    EXPECT_EQ(
        plugin.run(cycleFrames),
        (Events{at(8, portamentoTime(0, 10)), at(8, portamento(0, 0)), at(8, noteOn(0, 60, 100)),
                at(20, portamento(0, 127)), at(20, noteOn(0, 62, 100))}));

    plugin.clearInput();
    plugin.queueTransport(4, 0.0f);       // stop: the held keys are forgotten
    plugin.queue(10, noteOn(0, 64, 100)); // so this one is alone
    plugin.queueTransport(30, 1.0f);      // start: controller 5 is due at once
    plugin.queue(40, noteOn(0, 65, 100));
    EXPECT_EQ(
        plugin.run(cycleFrames),
        (Events{at(10, portamento(0, 0)), at(10, noteOn(0, 64, 100)), at(30, portamentoTime(0, 10)),
                at(40, portamento(0, 127)), at(40, noteOn(0, 65, 100))}));
}

TEST(Lv2Plugin, EventsThatDoNotFitTheOutputAreDroppedWholeAndReported) {
    // The sequence's two headers and room for three 3-byte events of 24 bytes each, not four.
    constexpr std::uint32_t capacity = 16 + 3 * 24 + 10;
    PluginUnderTest plugin(quorlinUri, capacity);
    plugin.activate();
    plugin.queue(0, noteOn(0, 60, 100));
    plugin.queue(1, noteOn(0, 62, 100));
    plugin.queue(2, {midi::statusSysEx, 0x01, midi::statusSysExContinuation});
    // The input's events come first; Quorlin's controllers take only the room left after them.
    EXPECT_EQ(plugin.run(cycleFrames),
              (Events{at(0, noteOn(0, 60, 100)), at(1, noteOn(0, 62, 100)),
                      at(2, {midi::statusSysEx, 0x01, midi::statusSysExContinuation})}));
    EXPECT_EQ(plugin.outputAtomSize(), 8u + 3u * 24u);
    EXPECT_TRUE(plugin.logLines().empty()) << "nothing is logged from run";

    plugin.deactivate();
    std::vector<std::string> lines = plugin.logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("2 MIDI events dropped"), std::string::npos) << lines[0];
}

TEST(Lv2Plugin, ModeMessagesEndTheirChannelsNotesAndUnplayedChannelsGetNoPortamentoTime) {
    PluginUnderTest plugin(quorlinUri);
    plugin.setControl("speed", 20.0f);
    plugin.activate();
    plugin.queue(0, noteOn(0, 60, 100));
    plugin.queue(2, noteOn(1, 64, 100));
    Events expected = {at(0, portamentoTime(0, 20)), at(0, portamento(0, 0)),
                       at(0, noteOn(0, 60, 100)),    at(2, portamentoTime(1, 20)),
                       at(2, portamento(1, 0)),      at(2, noteOn(1, 64, 100))};
    // What a host sends on every channel at a stop: only these controllers come out.
    for (int channel = 0; channel < midi::channelCount; ++channel) {
        plugin.queue(10, controller(channel, midi::controllerResetAllControllers, 0));
        expected.push_back(at(10, controller(channel, midi::controllerResetAllControllers, 0)));
        if (channel != 1) {
            plugin.queue(10, controller(channel, midi::controllerAllNotesOff, 0));
            expected.push_back(at(10, controller(channel, midi::controllerAllNotesOff, 0)));
        }
    }
    plugin.queue(20, noteOn(0, 62, 100)); // 60 was ended by All Notes Off
    plugin.queue(30, noteOn(1, 65, 100)); // channel 2 got none: 64 still held
    for (const Bytes& bytes : {portamento(0, 0), noteOn(0, 62, 100)}) {
        expected.push_back(at(20, bytes));
    }
    for (const Bytes& bytes : {portamento(1, 127), noteOn(1, 65, 100)}) {
        expected.push_back(at(30, bytes));
    }
    EXPECT_EQ(plugin.run(cycleFrames), expected);
}

TEST(Lv2Plugin, ChordWindowAndControllerOnChangeWorkPerChannel) {
    PluginUnderTest plugin(quorlinUri); // at 48 kHz: 10 ms are 480 frames
    plugin.setControl("chord_window", 10.0f);
    plugin.setControl("cc65_on_change", 1.0f);
    plugin.activate();
    Bytes allOff = controller(1, midi::controllerAllNotesOff, 0);
    plugin.queue(0, noteOn(0, 48, 100)); // channel 1: a held key
    plugin.queue(0, noteOn(1, 60, 100)); // channel 2: a detached chord, struck together
    plugin.queue(2, noteOn(1, 64, 100));
    plugin.queue(1000, noteOn(0, 60, 100)); // channel 1: a chord over the held key: C4 glides
    plugin.queue(1002, noteOn(0, 64, 100));
    plugin.queue(1500, portamento(2, 0));   // channel 3's own, before its first note-on
    plugin.queue(1600, noteOn(2, 50, 100)); // which gets one all the same
    plugin.queue(1650, noteOff(2, 50, 0));
    plugin.queue(1660, portamento(2, 127)); // the channel's value from here on
    plugin.queue(1700, noteOn(2, 51, 100)); // so this 0 is a change
    plugin.queue(1800, allOff);
    plugin.queue(1900, noteOn(1, 62, 100)); // after All Notes Off: sent again, though still 0
    plugin.queue(2000, noteOn(1, 65, 100)); // within the window of 62
    plugin.queue(2600, noteOn(2, 52, 100)); // a legato pair on channel 3
    EXPECT_EQ(plugin.run(4096), (Events{at(0, portamento(0, 0)),
                                        at(0, noteOn(0, 48, 100)),
                                        at(0, portamento(1, 0)),
                                        at(0, noteOn(1, 60, 100)),
                                        at(2, noteOn(1, 64, 100)),
                                        at(1000, portamento(0, 127)),
                                        at(1000, noteOn(0, 60, 100)),
                                        at(1002, portamento(0, 0)),
                                        at(1002, noteOn(0, 64, 100)),
                                        at(1500, portamento(2, 0)),
                                        at(1600, portamento(2, 0)),
                                        at(1600, noteOn(2, 50, 100)),
                                        at(1650, noteOff(2, 50, 0)),
                                        at(1660, portamento(2, 127)),
                                        at(1700, portamento(2, 0)),
                                        at(1700, noteOn(2, 51, 100)),
                                        at(1800, allOff),
                                        at(1900, portamento(1, 0)),
                                        at(1900, noteOn(1, 62, 100)),
                                        at(2000, noteOn(1, 65, 100)),
                                        at(2600, portamento(2, 127)),
                                        at(2600, noteOn(2, 52, 100))}));
}

TEST(Lv2Plugin, IntervalLimitGlideSourceAndLegatoToleranceFollowTheirPorts) {
    PluginUnderTest plugin(quorlinUri); // at 48 kHz: 5 ms are 240 frames
    plugin.setControl("interval_limit", 12.0f);
    plugin.setControl("glide_source", 1.0f);
    plugin.setControl("legato_tolerance", 5.0f);
    plugin.activate();
    plugin.queue(0, noteOn(0, 36, 100));   // a bass, held throughout
    plugin.queue(100, noteOn(0, 60, 100)); // two octaves above it: struck
    plugin.queue(200, noteOff(0, 60, 0));  // touching: let go at the note-on's frame
    plugin.queue(200, noteOn(0, 62, 100)); // glides from 60, named though let go
    plugin.queue(300, noteOff(0, 62, 0));
    plugin.queue(600, noteOn(0, 64, 100)); // 62 let go 6.25 ms before: struck
    plugin.queue(700, noteOn(0, 67, 100)); // 64 still held: glides from it, named
    EXPECT_EQ(
        plugin.run(1024),
        (Events{at(0, portamento(0, 0)), at(0, noteOn(0, 36, 100)), at(100, portamento(0, 0)),
                at(100, noteOn(0, 60, 100)), at(200, noteOff(0, 60, 0)),
                at(200, portamento(0, 127)),
                at(200, controller(0, midi::controllerPortamentoControl, 60)),
                at(200, noteOn(0, 62, 100)), at(300, noteOff(0, 62, 0)), at(600, portamento(0, 0)),
                at(600, noteOn(0, 64, 100)), at(700, portamento(0, 127)),
                at(700, controller(0, midi::controllerPortamentoControl, 64)),
                at(700, noteOn(0, 67, 100))}));
}

// An event as a careless or hostile host lays it out: its atom may claim other than it holds.
struct RawEvent {
    std::uint32_t frame;
    Bytes body;
    std::uint32_t claimed;
    LV2_URID type = 0; // 0: a MIDI event
};
RawEvent raw(std::uint32_t frame, Bytes body) {
    auto size = static_cast<std::uint32_t>(body.size());
    return {frame, std::move(body), size};
}

// A sequence of such events, each padded to 8 bytes; it claims `claimed` body bytes, or all.
std::vector<std::uint8_t> rawSequence(PluginUnderTest& plugin, const std::vector<RawEvent>& events,
                                      std::uint32_t claimed = 0) {
    std::vector<std::uint8_t> bytes(sizeof(LV2_Atom_Sequence), 0);
    for (const RawEvent& event : events) {
        LV2_Atom_Event header{{event.frame}, {event.claimed, event.type}};
        header.body.type = event.type != 0 ? event.type : plugin.map(LV2_MIDI__MidiEvent);
        const auto* start = reinterpret_cast<const std::uint8_t*>(&header);
        bytes.insert(bytes.end(), start, start + sizeof header);
        bytes.insert(bytes.end(), event.body.begin(), event.body.end());
        bytes.resize((bytes.size() + 7) / 8 * 8, 0);
    }
    LV2_Atom atom{claimed != 0 ? claimed : static_cast<std::uint32_t>(bytes.size() - 8),
                  plugin.map(LV2_ATOM__Sequence)};
    std::memcpy(bytes.data(), &atom, sizeof atom);
    return bytes;
}

TEST(Lv2Plugin, EveryEventIsReadAndWrittenWithinItsBuffer) {
    // Each input is alone in a heap block of its exact size: the sanitizers see any read past it.
    // A size that wraps 16 + size in 32 bits, into a 64-byte output:
    PluginUnderTest small(quorlinUri, 64);
    Bytes sysex = {midi::statusSysEx, 1, 2, 3, 4, 5, 6, midi::statusSysExContinuation};
    Events first = {at(0, portamento(0, 0)), at(0, noteOn(0, 60, 100))};
    EXPECT_EQ(small.runWith(rawSequence(small, {raw(0, noteOn(0, 60, 100)), {1, sysex, ~15u}}),
                            cycleFrames),
              (Events{at(0, noteOn(0, 60, 100))}));
    // An 8-byte sysex that claims 200 bytes, and an event past the size its sequence claims,
    // end the walk; an object of size 0 as the buffer's last bytes has no type to read.
    PluginUnderTest plugin(quorlinUri);
    auto claimsTooMuch = {raw(0, noteOn(0, 60, 100)), RawEvent{1, sysex, 200}, raw(2, sysex)};
    EXPECT_EQ(plugin.runWith(rawSequence(plugin, claimsTooMuch), cycleFrames), first);
    auto offs = {raw(0, noteOff(0, 60, 0)), raw(1, noteOff(0, 62, 0))};
    EXPECT_EQ(plugin.runWith(rawSequence(plugin, offs, 8 + 24 + 18), cycleFrames),
              (Events{at(0, noteOff(0, 60, 0))}));
    auto emptyObject = {raw(0, noteOff(0, 60, 0)),
                        RawEvent{1, {}, 0, plugin.map(LV2_ATOM__Object)}};
    EXPECT_EQ(plugin.runWith(rawSequence(plugin, emptyObject), cycleFrames),
              (Events{at(0, noteOff(0, 60, 0))}));
}

TEST(Lv2Plugin, InPlaceBuffersPassEveryInputEventAndAddControllersWhereRoomAllows) {
    PluginUnderTest plugin(quorlinUri);
    plugin.activate();
    // The host vouched for the input's own size: the input comes out whole, in order, and a
    // controller of Quorlin's goes in only where the object, not passed on, left room for it.
    auto input = {raw(0, noteOn(0, 60, 100)), raw(1, controller(0, 7, 80)),
                  RawEvent{2, Bytes(24, 0), 24, plugin.map(LV2_ATOM__Object)},
                  raw(3, noteOn(0, 62, 100)), raw(4, noteOff(0, 60, 0))};
    EXPECT_EQ(
        plugin.runWith(rawSequence(plugin, input), cycleFrames, true),
        (Events{at(0, noteOn(0, 60, 100)), at(1, controller(0, 7, 80)), at(3, portamento(0, 127)),
                at(3, noteOn(0, 62, 100)), at(4, noteOff(0, 60, 0))}));
    plugin.deactivate();
    ASSERT_EQ(plugin.logLines().size(), 1u);
    EXPECT_NE(plugin.logLines()[0].find("1 MIDI events dropped"), std::string::npos);
}

TEST(Lv2Plugin, InputEventsKeepTheirRoomInPlaceAndApartAndOwedControllersComeLater) {
    Events notes = {at(0, noteOn(0, 62, 100)), at(1, noteOn(0, 64, 100)),
                    at(2, noteOn(0, 67, 100))};
    auto input = [&](PluginUnderTest& plugin) {
        std::vector<RawEvent> events;
        for (const OutputEvent& note : notes) {
            events.push_back(raw(note.frame, note.bytes));
        }
        return rawSequence(plugin, events);
    };
    // In place, with controller 5 owed at the cycle's start: the input is read before anything
    // is written over it.
    PluginUnderTest inPlace(quorlinUri);
    inPlace.setControl("speed", 40.0f);
    inPlace.activate();
    inPlace.runWith(input(inPlace), cycleFrames, true);
    inPlace.setControl("speed", 50.0f);
    EXPECT_EQ(inPlace.runWith(input(inPlace), cycleFrames, true), notes);
    // In place, a sequence whose size leaves out its last event's padding keeps that event.
    auto pair = {raw(0, noteOn(0, 60, 100)), raw(1, noteOff(0, 60, 0))};
    EXPECT_EQ(inPlace.runWith(rawSequence(inPlace, pair, 8 + 24 + 19), cycleFrames, true),
              (Events{at(0, noteOn(0, 60, 100)), at(1, noteOff(0, 60, 0))}));

    // Apart, in an output just the input's size, while C3 sounds: every input event, the
    // note-off of C3 among them, before any controller of Quorlin's.
    PluginUnderTest apart(quorlinUri, 16 + 4 * 24);
    apart.activate();
    apart.queue(0, noteOn(0, 48, 100));
    apart.run(cycleFrames);
    apart.clearInput();
    apart.setControl("speed", 30.0f);
    Events chord = {at(0, noteOn(0, 60, 100)), at(1, noteOn(0, 64, 100)), at(2, noteOn(0, 67, 100)),
                    at(3, noteOff(0, 48, 0))};
    for (const OutputEvent& event : chord) {
        apart.queue(event.frame, event.bytes);
    }
    EXPECT_EQ(apart.run(cycleFrames), chord);
    // The controller 5 that found no room goes out in the next cycle that has room.
    apart.clearInput();
    EXPECT_EQ(apart.run(cycleFrames), (Events{at(0, portamentoTime(0, 30))}));
}

TEST(Lv2Plugin, ResetAllControllersAndHoursOfHeldKeysAndAbsurdRatesKeepTheRule) {
    // Controller 65 on change: Reset All Controllers sets the synthesizer's to 0, so the next
    // legato note sends 127 again.
    PluginUnderTest onChange(quorlinUri);
    onChange.setControl("cc65_on_change", 1.0f);
    onChange.activate();
    onChange.queue(0, noteOn(0, 60, 100));
    onChange.queue(1, noteOn(0, 62, 100));
    onChange.queue(2, controller(0, midi::controllerResetAllControllers, 0));
    onChange.queue(3, noteOn(0, 64, 100));
    EXPECT_EQ(onChange.run(cycleFrames),
              (Events{at(0, portamento(0, 0)), at(0, noteOn(0, 60, 100)), at(1, portamento(0, 127)),
                      at(1, noteOn(0, 62, 100)),
                      at(2, controller(0, midi::controllerResetAllControllers, 0)),
                      at(3, portamento(0, 127)), at(3, noteOn(0, 64, 100))}));

    // A key held for 2^32 frames (24.9 hours at 48 kHz), when the running count comes back to
    // where it was, still counts past the window.
    PluginUnderTest held(quorlinUri);
    held.setControl("chord_window", 10.0f);
    held.activate();
    held.queue(0, noteOn(0, 48, 100));
    held.run(cycleFrames);
    held.clearInput();
    for (int cycle = 0; cycle < 8; ++cycle) {
        held.run(std::uint32_t{1} << 29);
    }
    held.queue(0, noteOn(0, 60, 100));
    EXPECT_EQ(held.run(cycleFrames),
              (Events{at(0, portamento(0, 127)), at(0, noteOn(0, 60, 100))}));

    // At absurd sample rates the window saturates: keys 2 frames apart are still one chord.
    for (double rate : {2.2e10, std::numeric_limits<double>::infinity()}) {
        PluginUnderTest fast(quorlinUri, PluginUnderTest::defaultOutputCapacity, rate);
        fast.setControl("chord_window", 100.0f);
        fast.activate();
        fast.queue(0, noteOn(0, 60, 100));
        fast.queue(2, noteOn(0, 64, 100));
        EXPECT_EQ(fast.run(cycleFrames),
                  (Events{at(0, portamento(0, 0)), at(0, noteOn(0, 60, 100)),
                          at(2, portamento(0, 0)), at(2, noteOn(0, 64, 100))}))
            << rate;
    }
}

TEST(Lv2Plugin, TheTransportAndActivationStartAndStopOnceAndUnconnectedControlsAreNotRead) {
    PluginUnderTest plugin(quorlinUri);
    plugin.setControl("speed", 10.0f);
    plugin.activate();
    // A host sends the position at every cycle: while rolling, it changes nothing.
    plugin.queue(0, noteOn(0, 60, 100));
    plugin.queueTransport(5, 1.0f);
    plugin.queue(10, noteOn(0, 62, 100));
    plugin.queueTransport(20, 0.0f, true);
    plugin.queueTransport(30, 1.0f, true);
    plugin.queueTransport(40, 1.0f);
    plugin.queue(50, noteOn(0, 64, 100));
    plugin.queue(55, {midi::statusSysEx, 0x01, 0x02, midi::statusSysExContinuation});
    plugin.queueTransport(60, 0.0f);
    EXPECT_EQ(
        plugin.run(cycleFrames),
        (Events{at(0, portamentoTime(0, 10)), at(0, portamento(0, 0)), at(0, noteOn(0, 60, 100)),
                at(10, portamento(0, 127)), at(10, noteOn(0, 62, 100)),
                at(30, portamentoTime(0, 10)), at(50, portamento(0, 0)), at(50, noteOn(0, 64, 100)),
                at(55, {midi::statusSysEx, 0x01, 0x02, midi::statusSysExContinuation})}));
    plugin.clearInput();

    // Activated again after a stop, it rolls: a start owes nothing more. Deactivation forgets
    // the held keys (65 here); controls left unconnected keep their last values.
    plugin.deactivate();
    plugin.activate();
    plugin.queueTransport(0, 1.0f);
    plugin.queue(1, noteOn(0, 65, 100));
    EXPECT_EQ(
        plugin.run(cycleFrames),
        (Events{at(0, portamentoTime(0, 10)), at(1, portamento(0, 0)), at(1, noteOn(0, 65, 100))}));
    plugin.clearInput();
    plugin.deactivate();
    plugin.activate();
    plugin.queue(0, noteOn(0, 67, 100));
    for (const char* symbol : {"speed", "chord_window", "cc65_on_change", "glide_source",
                               "interval_limit", "legato_tolerance"}) {
        plugin.disconnect(symbol);
    }
    EXPECT_EQ(
        plugin.run(cycleFrames),
        (Events{at(0, portamentoTime(0, 10)), at(0, portamento(0, 0)), at(0, noteOn(0, 67, 100))}));
}

TEST(Lv2Plugin, RunTakesNothingFromTheHeap) {
    PluginUnderTest plugin(quorlinUri);
    // The plug-in's own allocations are counted here: nothing else allocates while it is made.
    EXPECT_GT(plugin.instantiationAllocations(), 16);
    plugin.setControl("speed", 30.0f);
    plugin.setControl("chord_window", 5.0f);
    plugin.activate();
    // A dense cycle on all 16 channels: overlapping notes, note-offs, controllers, a bend.
    for (std::uint32_t step = 0; step < 256; ++step) {
        auto channel = static_cast<std::uint8_t>(step % 16);
        auto note = static_cast<std::uint8_t>(40 + (step * 7) % 48);
        switch (step % 4) {
        case 0:
        case 1:
            plugin.queue(step, noteOn(channel, note, 90));
            break;
        case 2:
            plugin.queue(step, noteOff(channel, note, 0));
            break;
        default:
            plugin.queue(step, controller(channel, 1, note));
            break;
        }
    }
    plugin.queueTransport(300, 0.0f);
    plugin.queueTransport(301, 1.0f);
    plugin.runOnly(512); // every channel active, its first controller 5 sent

    std::int64_t before = allocationCount();
    for (int cycle = 0; cycle < 2000; ++cycle) {
        plugin.control("speed") = cycle % 2 == 0 ? 64.0f : 65.0f;
        plugin.control("cc65_on_change") = cycle % 3 == 0 ? 1.0f : 0.0f;
        plugin.runOnly(512);
    }
    EXPECT_EQ(allocationCount() - before, 0);
    // The cycles did their work: the last one wrote far more than the input's 256 events.
    EXPECT_GT(plugin.outputAtomSize(), 300u * 24u);
}

} // namespace
} // namespace quorlin::testing
