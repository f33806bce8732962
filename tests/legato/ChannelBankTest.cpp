// The channel bank at the edges of its rule (windows of a position or two, notes with ends, debts
// a caller could not pay, messages with a status among their data), then fed as any caller
// might: random bytes as messages, random settings (not a number and infinity among them) and
// positions that wrap. Nothing it does takes memory.

#include "legato/ChannelBank.h"
#include "legato/MidiProtocol.h"
#include "legato/PlayingRanges.h"
#include "testing/CountingAllocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace quorlin {
namespace {

using Sent = std::vector<int>; // controller number, value, controller number, value...

template <std::size_t Capacity> Sent sent(const MessageList<Capacity>& list) {
    Sent out;
    for (std::size_t index = 0; index < list.size(); ++index) {
        out.push_back(list[index].first);
        out.push_back(list[index].second);
    }
    return out;
}

Sent noteOn(ChannelBank& bank, int note, std::int32_t position, std::int32_t length = 0) {
    const std::uint8_t bytes[3] = {midi::statusNoteOn, static_cast<std::uint8_t>(note), 90};
    return sent(bank.receive(bytes, 3, position, length));
}

constexpr int cc5 = midi::controllerPortamentoTime;
constexpr int cc65 = midi::controllerPortamento;

TEST(ChannelBank, WindowsOfOnePositionNotesWithEndsAndRetriggeredKeys) {
    // With no rate, or a window shorter than a position, the window is one position: keys struck
    // together are apart, a key struck a position ago counts.
    for (auto [milliseconds, rate] : {std::pair{50.0, 0.0}, std::pair{0.01, 44100.0}}) {
        ChannelBank bank;
        bank.setChordWindow(milliseconds);
        bank.setPositionRate(rate);
        EXPECT_EQ(playing::windowPositions(milliseconds, rate), 1);
        EXPECT_EQ(noteOn(bank, 60, 100), (Sent{cc65, 0}));
        EXPECT_EQ(noteOn(bank, 64, 100), (Sent{cc65, 0})) << milliseconds;
        EXPECT_EQ(noteOn(bank, 67, 101), (Sent{cc65, 127})) << milliseconds;
    }
    // A note of one position has ended when the next comes a position later; struck again
    // without a length, a key with an end is held until its note-off.
    ChannelBank bank;
    EXPECT_EQ(noteOn(bank, 60, 0, 1), (Sent{cc65, 0}));
    EXPECT_EQ(noteOn(bank, 62, 1), (Sent{cc65, 0}));
    EXPECT_EQ(noteOn(bank, 48, 10, 10), (Sent{cc65, 127}));
    EXPECT_EQ(noteOn(bank, 48, 15), (Sent{cc65, 127}));
    const std::uint8_t off[3] = {midi::statusNoteOff, 62, 0};
    EXPECT_TRUE(bank.receive(off, 3, 16).empty());
    EXPECT_EQ(noteOn(bank, 50, 30), (Sent{cc65, 127})) << "48 still held";
}

TEST(ChannelBank, TheGlideSourceIsTheLatestKeyAndReleasesOutliveNeitherStopsNorHours) {
    constexpr int cc84 = midi::controllerPortamentoControl;
    auto off = [](ChannelBank& bank, std::uint8_t note, std::int32_t position) {
        const std::uint8_t bytes[3] = {midi::statusNoteOff, note, 0};
        bank.receive(bytes, 3, position);
    };
    ChannelBank bank; // 1,000 positions a second: a tolerance of 1 ms is one position
    bank.setPositionRate(1000.0);
    bank.setIntervalLimit(12); // the long way, with no key named
    EXPECT_EQ(noteOn(bank, 60, 0), (Sent{cc65, 0}));
    EXPECT_EQ(noteOn(bank, 62, 10), (Sent{cc65, 127}));
    bank.setGlideSource(true); // the most recently struck key is named
    EXPECT_EQ(noteOn(bank, 64, 20), (Sent{cc65, 127, cc84, 62}));
    bank.stop(); // keys held before a stop are gone, and a note-off of one is ignored
    off(bank, 60, 21);
    EXPECT_EQ(noteOn(bank, 65, 22), (Sent{cc65, 0}));
    EXPECT_EQ(noteOn(bank, 67, 23), (Sent{cc65, 127, cc84, 65}));
    bank.stop();
    bank.setLegatoTolerance(1.0); // let go at the note-on's own position, and only then
    EXPECT_EQ(noteOn(bank, 60, 30), (Sent{cc65, 0}));
    off(bank, 60, 31);
    EXPECT_EQ(noteOn(bank, 62, 31), (Sent{cc65, 127, cc84, 60}));
    off(bank, 62, 32);
    off(bank, 60, 40); // a second note-off does not let 60 go again
    EXPECT_EQ(noteOn(bank, 64, 40), (Sent{cc65, 0}));
    off(bank, 64, 41);
    bank.stop(); // nor do keys let go before a stop count after it
    EXPECT_EQ(noteOn(bank, 60, 41), (Sent{cc65, 0}));
    off(bank, 60, 50); // nor a key let go 2^32 positions ago
    for (std::uint32_t now = 1u << 30; now != 0; now += 1u << 30) {
        bank.advance(static_cast<std::int32_t>(now));
    }
    EXPECT_EQ(noteOn(bank, 62, 50), (Sent{cc65, 0}));
    off(bank, 62, 1 << 30); // while one let go just now still does, ages limited or not
    bank.advance(1 << 30);
    EXPECT_EQ(noteOn(bank, 64, 1 << 30), (Sent{cc65, 127, cc84, 62}));
}

TEST(ChannelBank, SpeedDebtsArePaidOnceAndOwedAgainWhenNotSent) {
    ChannelBank bank;
    bank.setSpeed(0); // 0 is a speed, not Off
    bank.start();
    EXPECT_EQ(noteOn(bank, 60, 0), (Sent{cc5, 0, cc65, 0}));
    EXPECT_TRUE(bank.dueSpeeds().empty());
    EXPECT_FALSE(bank.speedsDue());
    bank.setSpeed(200); // clamped: 127, and 127 again owes nothing
    EXPECT_TRUE(bank.speedsDue());
    EXPECT_EQ(sent(bank.dueSpeeds()), (Sent{cc5, 127}));
    EXPECT_FALSE(bank.speedsDue());
    bank.setSpeed(127);
    EXPECT_FALSE(bank.speedsDue());
    EXPECT_TRUE(bank.dueSpeeds().empty());

    // A position call makes a channel play: it is paid at once and owed at every change after.
    EXPECT_EQ(sent(bank.position(3)), (Sent{cc5, 127}));
    bank.setSpeed(5);
    ChannelBank::Speeds speeds = bank.dueSpeeds();
    ASSERT_EQ(speeds.size(), 2u);
    EXPECT_EQ(speeds[1].status, midi::statusController | 3);

    // What the output could not take is owed again: controller 5 at the next dueSpeeds,
    // controller 65 at the next note-on even when only its changes are sent.
    bank.notSent(speeds[1]);
    EXPECT_TRUE(bank.speedsDue());
    EXPECT_EQ(sent(bank.dueSpeeds()), (Sent{cc5, 5}));
    bank.setPortamentoOnChange(true);
    EXPECT_EQ(noteOn(bank, 62, 10), (Sent{cc65, 127}));
    EXPECT_TRUE(noteOn(bank, 64, 20).empty());
    bank.notSent({midi::statusController, cc65, 127});
    EXPECT_EQ(noteOn(bank, 65, 30), (Sent{cc65, 127}));

    // Reset All Controllers resets the synthesizer's portamento time too: it is owed again.
    const std::uint8_t reset[3] = {midi::statusController, midi::controllerResetAllControllers, 0};
    EXPECT_TRUE(bank.receive(reset, 3, 40).empty());
    EXPECT_TRUE(bank.speedsDue());
    EXPECT_EQ(sent(bank.dueSpeeds()), (Sent{cc5, 5}));
}

TEST(ChannelBank, MessagesThatAreNotWholeGetNothing) {
    ChannelBank bank;
    bank.setSpeed(10);
    bank.start();
    const std::uint8_t clockInVelocity[3] = {midi::statusNoteOn, 60, midi::statusTimingClock};
    const std::uint8_t statusAsNote[3] = {midi::statusNoteOn, midi::statusController | 12, 90};
    const std::uint8_t padded[4] = {midi::statusNoteOn, 60, 90, 0};
    EXPECT_TRUE(bank.receive(clockInVelocity, 3, 0).empty());
    EXPECT_TRUE(bank.receive(statusAsNote, 3, 0).empty());
    EXPECT_TRUE(bank.receive(padded, 4, 0).empty());
    EXPECT_TRUE(bank.receive(nullptr, 3, 0).empty());
    EXPECT_EQ(noteOn(bank, 60, 1), (Sent{cc5, 10, cc65, 0})) << "nothing was taken as a note";
}

TEST(ChannelBank, TakesNothingFromTheHeapWhateverItIsFedOrSet) {
    auto bank = std::make_unique<ChannelBank>();
    std::mt19937 random(23);
    auto number = [&](std::uint32_t below) { return random() % below; };
    const double oddValues[] = {std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(), -1e300, 0.0, 2.2e10};
    std::size_t sent = 0;
    std::int32_t position = std::numeric_limits<std::int32_t>::max() - 100000;

    std::int64_t before = testing::allocationCount();
    for (int step = 0; step < 200000; ++step) {
        std::uint8_t bytes[4];
        for (std::uint8_t& byte : bytes) {
            // Mostly channel messages with data bytes, now and then any byte at all.
            byte = static_cast<std::uint8_t>(number(10) == 0 ? number(256) : number(128));
        }
        bytes[0] = static_cast<std::uint8_t>(0x80 | (number(8) << 4) | number(16));
        position = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) + number(4000));
        switch (number(40)) {
        case 0:
            bank->setSpeed(static_cast<std::int32_t>(number(400)) - 200);
            break;
        case 1:
            bank->setChordWindow(number(2) == 0 ? oddValues[number(5)] : number(200));
            break;
        case 2:
            bank->setPositionRate(number(2) == 0 ? oddValues[number(5)] : number(100000));
            break;
        case 3:
            bank->setPortamentoOnChange(number(2) == 0);
            break;
        case 4:
            number(2) == 0 ? bank->start() : bank->stop();
            sent += bank->dueSpeeds().size();
            break;
        case 5:
            sent += bank->position(static_cast<std::uint8_t>(number(256))).size();
            bank->notSent({bytes[0], bytes[1], bytes[2]});
            break;
        default: {
            ChannelBank::Before out = bank->receive(bytes, number(5), position,
                                                    static_cast<std::int32_t>(number(3000)) - 1000);
            sent += out.size();
        }
        }
    }
    EXPECT_EQ(testing::allocationCount() - before, 0);
    // The bank did its work: controllers 5 and 65 went out, not only nothing.
    EXPECT_GT(sent, 20000u);
}

} // namespace
} // namespace quorlin
