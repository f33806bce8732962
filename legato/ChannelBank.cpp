#include "legato/ChannelBank.h"

#include "legato/MidiProtocol.h"

#include <algorithm>

namespace quorlin {

namespace {

constexpr std::uint8_t statusBit = 0x80;

// The length of a channel message by its status byte: two bytes for program change and channel
// pressure, three for the others.
std::size_t channelMessageLength(std::uint8_t status) noexcept {
    std::int32_t kind = status & midi::statusKindMask;
    return kind == midi::statusProgramChange || kind == midi::statusChannelPressure ? 2 : 3;
}

// A whole channel message: a status below the system messages, the length its kind has, and
// data bytes only.
bool isChannelMessage(const std::uint8_t* bytes, std::size_t size) noexcept {
    if (bytes == nullptr || size == 0 || (bytes[0] & statusBit) == 0 ||
        bytes[0] >= midi::statusSysEx || size != channelMessageLength(bytes[0])) {
        return false;
    }
    return (bytes[1] & statusBit) == 0 && (size == 2 || (bytes[2] & statusBit) == 0);
}

ShortMessage controllerOf(std::uint8_t channel, std::int32_t number, std::int32_t value) noexcept {
    return {static_cast<std::uint8_t>(midi::statusController | channel),
            static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(value)};
}

} // namespace

void ChannelBank::setSpeed(std::int32_t value) noexcept {
    value = std::clamp(value, playing::speedOff, playing::speedHighest);
    if (value == speed) {
        return;
    }
    speed = value;
    for (Channel& channel : channels) {
        channel.legato.setSpeed(value);
    }
    speedsOwed = true;
}

void ChannelBank::setChordWindow(double milliseconds) noexcept {
    windowMilliseconds =
        milliseconds > 0.0 ? std::min<double>(milliseconds, playing::chordWindowHighest) : 0.0;
    applyTimes();
}

void ChannelBank::setLegatoTolerance(double milliseconds) noexcept {
    toleranceMilliseconds =
        milliseconds > 0.0 ? std::min<double>(milliseconds, playing::legatoToleranceHighest) : 0.0;
    applyTimes();
}

void ChannelBank::setPositionRate(double rate) noexcept {
    if (rate == positionsPerSecond) {
        return;
    }
    positionsPerSecond = rate;
    applyTimes();
}

void ChannelBank::applyTimes() noexcept {
    std::int32_t window = playing::windowPositions(windowMilliseconds, positionsPerSecond);
    std::int32_t tolerance = playing::windowPositions(toleranceMilliseconds, positionsPerSecond);
    if (window == appliedWindow && tolerance == appliedTolerance) {
        return;
    }
    appliedWindow = window;
    appliedTolerance = tolerance;
    for (Channel& channel : channels) {
        channel.legato.setChordWindow(window);
        channel.legato.setLegatoTolerance(tolerance);
    }
}

void ChannelBank::setPortamentoOnChange(bool onChange) noexcept {
    for (Channel& channel : channels) {
        channel.legato.setPortamentoOnChange(onChange);
    }
}

void ChannelBank::setIntervalLimit(std::int32_t semitones) noexcept {
    semitones = std::clamp(semitones, playing::intervalLimitLowest, playing::intervalLimitNone);
    for (Channel& channel : channels) {
        channel.legato.setIntervalLimit(semitones);
    }
}

void ChannelBank::setGlideSource(bool name) noexcept {
    for (Channel& channel : channels) {
        channel.legato.setGlideSource(name);
    }
}

void ChannelBank::start() noexcept {
    for (Channel& channel : channels) {
        channel.legato.start();
    }
    speedsOwed = true;
}

void ChannelBank::stop() noexcept {
    for (Channel& channel : channels) {
        channel.legato.stop();
    }
}

ChannelBank::Before ChannelBank::receive(const std::uint8_t* bytes, std::size_t size,
                                         std::int32_t now, std::int32_t length) noexcept {
    Before out;
    if (!isChannelMessage(bytes, size)) {
        return out;
    }
    auto number = static_cast<std::uint8_t>(bytes[0] & midi::channelMask);
    Channel& channel = channels[number];
    // Notes 0..127 always find their room, which was taken at construction: nothing throws.
    Decision decision = channel.legato.receive(bytes[0] & midi::statusKindMask, bytes[1],
                                               size == 3 ? bytes[2] : 0, now, length);
    if (decision.kind == MessageKind::controller &&
        bytes[1] == midi::controllerResetAllControllers) {
        // The channel owes its portamento time again, paid at its next position.
        speedsOwed = true;
    }
    if (decision.kind == MessageKind::noteOn) {
        if (!channel.playing) {
            channel.playing = true;
            paySpeed(channel, number, out);
        }
        if (decision.glide.portamento) {
            out.push(controllerOf(number, midi::controllerPortamento, *decision.glide.portamento));
        }
        if (decision.glide.source) {
            out.push(
                controllerOf(number, midi::controllerPortamentoControl, *decision.glide.source));
        }
    }
    return out;
}

ChannelBank::Before ChannelBank::position(std::uint8_t number) noexcept {
    Before out;
    number &= midi::channelMask;
    channels[number].playing = true;
    paySpeed(channels[number], number, out);
    return out;
}

ChannelBank::Speeds ChannelBank::dueSpeeds() noexcept {
    Speeds out;
    for (std::uint8_t number = 0; number < channelCount; ++number) {
        Channel& channel = channels[number];
        if (!channel.playing) {
            continue; // it keeps its debt until its first note-on
        }
        if (std::optional<std::int32_t> value = channel.legato.takeDueSpeed()) {
            out.push(controllerOf(number, midi::controllerPortamentoTime, *value));
        }
    }
    speedsOwed = false;
    return out;
}

void ChannelBank::paySpeed(Channel& channel, std::uint8_t number, Before& out) noexcept {
    if (std::optional<std::int32_t> value = channel.legato.takeDueSpeed()) {
        out.push(controllerOf(number, midi::controllerPortamentoTime, *value));
    }
}

void ChannelBank::notSent(const ShortMessage& message) noexcept {
    Channel& channel = channels[message.status & midi::channelMask];
    if (message.first == midi::controllerPortamentoTime) {
        channel.legato.setSpeed(speed);
        speedsOwed = true;
    } else if (message.first == midi::controllerPortamento) {
        channel.legato.portamentoLost();
    }
}

void ChannelBank::advance(std::int32_t now) noexcept {
    constexpr std::uint32_t everyPositions = std::uint32_t{1} << 30;
    if (static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(agesLimitedAt) <
        everyPositions) {
        return;
    }
    agesLimitedAt = now;
    for (Channel& channel : channels) {
        channel.legato.limitAges(now, playing::longestWindow);
    }
}

} // namespace quorlin
