#include "lv2/QuorlinPlugin.h"

#include "component/MidiProtocol.h"
#include "lv2/InputSequence.h"
#include "lv2/PortIndex.h"

#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace quorlin::lv2 {

namespace {

constexpr std::uint8_t statusBit = 0x80;

LV2_URID_Map* findMap(const LV2_Feature* const* features) noexcept {
    for (const LV2_Feature* const* feature = features; feature && *feature; ++feature) {
        if (std::strcmp((*feature)->URI, LV2_URID__map) == 0) {
            return static_cast<LV2_URID_Map*>((*feature)->data);
        }
    }
    return nullptr;
}

// The control's value as the core takes it: rounded, within -1..127, "Off" for anything that
// is not a number.
std::int32_t speedValue(float control) noexcept {
    if (!(control >= speedOff)) {
        return LegatoCore::speedOff;
    }
    if (control > speedMax) {
        return static_cast<std::int32_t>(speedMax);
    }
    return static_cast<std::int32_t>(std::lround(control));
}

// A number atom as a double; false for other atoms and for bodies too small for their type.
bool numberOf(const LV2_Atom* atom, const Urids& urids, double& value) noexcept {
    if (atom == nullptr) {
        return false;
    }
    const void* body = atom + 1;
    if (atom->type == urids.atomFloat && atom->size >= sizeof(float)) {
        value = *static_cast<const float*>(body);
    } else if (atom->type == urids.atomDouble && atom->size >= sizeof(double)) {
        value = *static_cast<const double*>(body);
    } else if (atom->type == urids.atomInt && atom->size >= sizeof(std::int32_t)) {
        value = *static_cast<const std::int32_t*>(body);
    } else if (atom->type == urids.atomLong && atom->size >= sizeof(std::int64_t)) {
        value = static_cast<double>(*static_cast<const std::int64_t*>(body));
    } else {
        return false;
    }
    return true;
}

// An input event's time as a frame of the cycle; hosts should not send others, but a stray one
// is kept at the cycle's edge rather than sent out of it.
std::uint32_t frameWithin(std::int64_t time, std::uint32_t frames) noexcept {
    if (frames == 0 || time <= 0) {
        return 0;
    }
    return time >= frames ? frames - 1 : static_cast<std::uint32_t>(time);
}

// The length of a channel message by its status byte: two bytes for program change and channel
// pressure, three for the others.
std::uint32_t channelMessageLength(std::uint8_t status) noexcept {
    std::int32_t kind = status & midi::statusKindMask;
    return kind == midi::statusProgramChange || kind == midi::statusChannelPressure ? 2 : 3;
}

// A whole channel message: a status below the system messages, the length its kind has, and
// data bytes only. Anything else (system messages, sysex, running status) passes untouched.
bool isChannelMessage(const std::uint8_t* bytes, std::uint32_t size) noexcept {
    if (size == 0 || (bytes[0] & statusBit) == 0 || bytes[0] >= midi::statusSysEx ||
        size != channelMessageLength(bytes[0])) {
        return false;
    }
    return (bytes[1] & statusBit) == 0 && (size == 2 || (bytes[2] & statusBit) == 0);
}

} // namespace

QuorlinPlugin* QuorlinPlugin::create(double sampleRate,
                                     const LV2_Feature* const* features) noexcept {
    LV2_URID_Map* map = findMap(features);
    if (map == nullptr) {
        PluginLog(features, nullptr).error("the host does not offer urid:map");
        return nullptr;
    }
    try {
        return new QuorlinPlugin(sampleRate, *map, features);
    } catch (const std::bad_alloc&) {
        PluginLog(features, map).error("out of memory");
        return nullptr;
    }
}

QuorlinPlugin::QuorlinPlugin(double rate, LV2_URID_Map& map, const LV2_Feature* const* features)
    : urids(map), log(features, &map), output(urids.atomSequence, urids.midiEvent),
      sampleRate(rate) {}

void QuorlinPlugin::connectPort(std::uint32_t port, void* data) noexcept {
    switch (static_cast<PortIndex>(port)) {
    case PortIndex::midiIn:
        midiIn = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case PortIndex::midiOut:
        midiOut = static_cast<LV2_Atom_Sequence*>(data);
        break;
    case PortIndex::speed:
        speedPort = static_cast<const float*>(data);
        break;
    case PortIndex::chordWindow:
        chordWindowPort = static_cast<const float*>(data);
        break;
    case PortIndex::portamentoOnChange:
        onChangePort = static_cast<const float*>(data);
        break;
    }
}

void QuorlinPlugin::activate() noexcept {
    rolling = true;
    for (Channel& channel : channels) {
        channel.legato.start();
    }
    speedsOwed = true;
}

void QuorlinPlugin::deactivate() noexcept {
    for (Channel& channel : channels) {
        channel.legato.stop();
    }
    reportDropped();
}

void QuorlinPlugin::run(std::uint32_t frames) noexcept {
    applySpeed();
    applyPlaying();
    // The input is walked within the size it had before any output is written: a host may have
    // connected both ports to one buffer.
    InputSequence input(midiIn);
    bool inPlace = midiIn != nullptr && static_cast<const void*>(midiIn) == midiOut;
    if (inPlace) {
        output.beginInPlace(midiOut, midiIn->atom.size);
    } else {
        output.begin(midiOut);
    }
    inputAhead = 0;
    if (speedsOwed) {
        sendDueSpeeds(0);
    }
    while (const LV2_Atom_Event* event = input.next()) {
        if (inPlace) {
            inputAhead = input.remainingFromCurrent();
        }
        std::uint32_t frame = frameWithin(event->time.frames, frames);
        if (event->body.type == urids.midiEvent) {
            handleMidi(frame, event->body);
        } else if (event->body.type == urids.atomObject || event->body.type == urids.atomBlank) {
            handleTransport(frame, event->body);
        }
    }
    position += frames;
}

void QuorlinPlugin::applySpeed() noexcept {
    if (speedPort == nullptr) {
        return;
    }
    std::int32_t value = speedValue(*speedPort);
    if (value == appliedSpeed) {
        return;
    }
    appliedSpeed = value;
    for (Channel& channel : channels) {
        channel.legato.setSpeed(value);
    }
    speedsOwed = true;
}

void QuorlinPlugin::applyPlaying() noexcept {
    std::int32_t window = 0;
    if (chordWindowPort != nullptr && *chordWindowPort > 0.0f) {
        // In frames at the host's rate; the control's range bounds it, a stray value included.
        double milliseconds = std::min<double>(*chordWindowPort, chordWindowMax);
        window = static_cast<std::int32_t>(std::lround(milliseconds * sampleRate / 1000.0));
    }
    bool onChange = onChangePort != nullptr && *onChangePort > 0.5f;
    if (window == appliedWindow && onChange == appliedOnChange) {
        return;
    }
    appliedWindow = window;
    appliedOnChange = onChange;
    for (Channel& channel : channels) {
        channel.legato.setChordWindow(window);
        channel.legato.setPortamentoOnChange(onChange);
    }
}

void QuorlinPlugin::handleMidi(std::uint32_t frame, const LV2_Atom& atom) noexcept {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&atom + 1);
    if (!isChannelMessage(bytes, atom.size)) {
        output.write(frame, bytes, atom.size);
        return;
    }
    std::uint8_t status = bytes[0];
    auto number = static_cast<std::uint8_t>(status & midi::channelMask);
    Channel& channel = channels[number];
    std::int32_t kind = status & midi::statusKindMask;
    if (kind == midi::statusNoteOn && bytes[2] != 0) {
        if (!channel.playing) {
            channel.playing = true;
            sendDueSpeed(channel, number, frame);
        }
        // Played live, a key is held until its note-off: no length.
        if (std::optional<std::int32_t> value =
                channel.legato.noteOn(bytes[1], static_cast<std::int32_t>(position + frame), 0)) {
            if (!sendOwn(frame, static_cast<std::uint8_t>(midi::statusController | number),
                         midi::controllerPortamento, static_cast<std::uint8_t>(*value))) {
                channel.legato.portamentoLost();
            }
        }
    } else if (kind == midi::statusNoteOn || kind == midi::statusNoteOff) {
        channel.legato.noteOff(bytes[1]);
    } else if (kind == midi::statusController) {
        channel.legato.controller(bytes[1], bytes[2]);
    }
    const std::uint8_t message[3] = {status, bytes[1], atom.size == 3 ? bytes[2] : std::uint8_t{0}};
    output.writeMessage(frame, message, atom.size, 0);
}

void QuorlinPlugin::handleTransport(std::uint32_t frame, const LV2_Atom& atom) noexcept {
    if (atom.size < sizeof(LV2_Atom_Object_Body)) {
        return;
    }
    const auto& object = *reinterpret_cast<const LV2_Atom_Object_Body*>(&atom + 1);
    double speed = 0.0;
    if (object.otype != urids.timePosition ||
        !numberOf(findProperty(object, atom.size, urids.timeSpeed), urids, speed)) {
        return;
    }
    if (speed == 0.0 && rolling) {
        rolling = false;
        for (Channel& channel : channels) {
            channel.legato.stop(); // held keys are forgotten
        }
    } else if (speed != 0.0 && !rolling) {
        rolling = true;
        startAll(frame);
    }
}

void QuorlinPlugin::startAll(std::uint32_t frame) noexcept {
    for (Channel& channel : channels) {
        channel.legato.start();
    }
    sendDueSpeeds(frame);
}

void QuorlinPlugin::sendDueSpeeds(std::uint32_t frame) noexcept {
    for (std::size_t number = 0; number < channelCount; ++number) {
        if (channels[number].playing) {
            sendDueSpeed(channels[number], static_cast<std::uint8_t>(number), frame);
        }
    }
    speedsOwed = false; // channels not playing yet keep theirs until their first note-on
}

void QuorlinPlugin::sendDueSpeed(Channel& channel, std::uint8_t number,
                                 std::uint32_t frame) noexcept {
    if (std::optional<std::int32_t> value = channel.legato.takeDueSpeed()) {
        sendOwn(frame, static_cast<std::uint8_t>(midi::statusController | number),
                midi::controllerPortamentoTime, static_cast<std::uint8_t>(*value));
    }
}

bool QuorlinPlugin::sendOwn(std::uint32_t frame, std::uint8_t status, std::uint8_t first,
                            std::uint8_t second) noexcept {
    const std::uint8_t bytes[3] = {status, first, second};
    return output.writeMessage(frame, bytes, sizeof bytes, inputAhead);
}

void QuorlinPlugin::reportDropped() noexcept {
    std::uint64_t dropped = output.takeDropped();
    if (dropped == 0) {
        return;
    }
    char text[128];
    std::snprintf(text, sizeof text, "%llu MIDI events dropped: the output buffer was full",
                  static_cast<unsigned long long>(dropped));
    log.warning(text);
}

} // namespace quorlin::lv2
