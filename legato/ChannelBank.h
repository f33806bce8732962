#pragma once

#include "legato/LegatoCore.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorlin {

// A channel message of two or three bytes as it goes out: the status with its channel, then the
// data bytes (the second 0 for a two-byte message).
struct ShortMessage {
    std::uint8_t status;
    std::uint8_t first;
    std::uint8_t second;
};

// The messages the bank asks to send at one moment, in order, held in place. Each is kept as
// one word, written and read whole: a list built byte by byte and then copied as wider words
// stalls the processor's store forwarding on the event path.
template <std::size_t Capacity> class MessageList {
public:
    std::size_t size() const noexcept { return count; }
    bool empty() const noexcept { return count == 0; }
    ShortMessage operator[](std::size_t index) const noexcept {
        std::uint32_t word = words[index];
        return {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                static_cast<std::uint8_t>(word >> 16)};
    }
    void push(ShortMessage message) noexcept {
        words[count++] = message.status | std::uint32_t{message.first} << 8 |
                         std::uint32_t{message.second} << 16;
    }

private:
    std::array<std::uint32_t, Capacity> words;
    std::uint32_t count = 0;
};

// The sixteen MIDI channels of one stream, a legato core each: the one place where a format
// adapter (the LV2 plug-in, the web plug-in, quorlin-host's own playing) learns what to send.
// It answers one question, receive: a message comes in at a position; which messages go out
// right before it? A channel takes part from its first note-on (or from the caller's first
// position call on it): controller 5 goes only to channels that play.
//
// Everything is made at construction, inside the object, every held key's slot included: no
// operation allocates, throws, locks or blocks, and nothing on the event path depends on where
// the heap put anything. One caller at a time; the bank is not shared between threads.
class ChannelBank {
public:
    static constexpr std::size_t channelCount = 16;
    // At most controllers 5, 65 and 84 go out before one message.
    using Before = MessageList<3>;
    // Controller 5 for every channel at once.
    using Speeds = MessageList<channelCount>;

    ChannelBank() noexcept = default;
    ChannelBank(const ChannelBank&) = delete;
    ChannelBank& operator=(const ChannelBank&) = delete;

    // The settings. Any time between two messages; each costs at most a pass over the channels.
    // The portamento time, clamped into -1 ("Off") .. 127: a new value is owed to every channel.
    void setSpeed(std::int32_t value) noexcept;
    // The chord window in milliseconds, clamped into 0..100 (not a number: 0).
    void setChordWindow(double milliseconds) noexcept;
    // How many positions a second holds (a sample rate, or ticks per second at the tempo in
    // force): the chord window is measured in positions at this rate. Any value is safe.
    void setPositionRate(double positionsPerSecond) noexcept;
    // Controller 65 only when its value changes on the channel (true), or before every note-on.
    void setPortamentoOnChange(bool onChange) noexcept;
    // Held keys more than this many semitones from a new note do not count for it, clamped into
    // 0..playing::intervalLimitNone (no limit, the default).
    void setIntervalLimit(std::int32_t semitones) noexcept;
    // Controller 84 names the key each gliding note glides from (true), or only a key let go.
    void setGlideSource(bool name) noexcept;
    // The legato tolerance in milliseconds, clamped into 0..100 (not a number: 0), measured at
    // the position rate as the chord window is.
    void setLegatoTolerance(double milliseconds) noexcept;

    // The transport started, or the plug-in was activated: every channel owes controller 5 and
    // sends controller 65 at its next note-on whatever its value.
    void start() noexcept;
    // The transport stopped: every held key is forgotten.
    void stop() noexcept;

    // A message comes in at `position` (the caller's running count: frames, ticks), with
    // `length` positions for a note-on whose end the caller knows (0: until its note-off).
    // Answers what goes out right before it, in order: the channel's owed controller 5 when
    // this note-on is its first, then controller 65, then controller 84 right before the
    // note-on, where a synthesizer takes it for that note. `bytes` holds `size` bytes; anything but
    // a whole channel message (system messages, sysex, running status, a wrong length) gets nothing
    // and changes nothing. The message itself always goes out after these, unchanged.
    Before receive(const std::uint8_t* bytes, std::size_t size, std::int32_t position,
                   std::int32_t length = 0) noexcept;

    // A position on `channel` (0..15) with nothing else: the channel takes part from now, and
    // its owed controller 5, if any, is answered. quorlin-host calls it where the library is
    // handed a position.
    Before position(std::uint8_t channel) noexcept;
    // Controller 5 for every channel that plays and owes one: at the start of a cycle, or where
    // the transport starts.
    Speeds dueSpeeds() noexcept;
    // Whether some playing channel owes controller 5, so dueSpeeds has work: constant time.
    bool speedsDue() const noexcept { return speedsOwed; }

    // A message the bank asked for did not go out (the output was full): its debt stands, so it
    // is asked for again. Controller 5 at the next dueSpeeds, controller 65 at the next note-on.
    void notSent(const ShortMessage& message) noexcept;

    // Time passes: call at least once every 2^30 positions while keys may be held (a plug-in at
    // every cycle; a caller whose positions may leap, before each message), so that a key held
    // for hours still counts for the chord window.
    void advance(std::int32_t now) noexcept;

    // The core of one channel, for what a caller reads of it.
    const ChannelCore& channel(std::uint8_t number) const noexcept {
        return channels[number & 0x0F].legato;
    }

private:
    struct Channel {
        ChannelCore legato;
        bool playing = false;
    };

    void paySpeed(Channel& channel, std::uint8_t number, Before& out) noexcept;
    void applyTimes() noexcept;

    std::array<Channel, channelCount> channels;
    std::int32_t speed = playing::speedDefault;
    double windowMilliseconds = playing::chordWindowDefault;
    double positionsPerSecond = 0.0;
    std::int32_t appliedWindow = 0;
    double toleranceMilliseconds = playing::legatoToleranceDefault;
    std::int32_t appliedTolerance = 0;
    std::int32_t agesLimitedAt = 0;
    bool speedsOwed = false; // some playing channel owes controller 5
};

} // namespace quorlin
