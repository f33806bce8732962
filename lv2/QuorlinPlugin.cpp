#include "lv2/QuorlinPlugin.h"

#include "lv2/InputSequence.h"
#include "lv2/PortIndex.h"

#include <lv2/urid/urid.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace quorlin::lv2 {

namespace {

LV2_URID_Map* findMap(const LV2_Feature* const* features) noexcept {
    for (const LV2_Feature* const* feature = features; feature && *feature; ++feature) {
        if (std::strcmp((*feature)->URI, LV2_URID__map) == 0) {
            return static_cast<LV2_URID_Map*>((*feature)->data);
        }
    }
    return nullptr;
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

QuorlinPlugin::QuorlinPlugin(double sampleRate, LV2_URID_Map& map,
                             const LV2_Feature* const* features)
    : urids(map), log(features, &map), output(urids.atomSequence, urids.midiEvent) {
    bank.setPositionRate(sampleRate);
}

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
    case PortIndex::glideSource:
        glideSourcePort = static_cast<const float*>(data);
        break;
    case PortIndex::intervalLimit:
        intervalLimitPort = static_cast<const float*>(data);
        break;
    case PortIndex::legatoTolerance:
        tolerancePort = static_cast<const float*>(data);
        break;
    }
}

void QuorlinPlugin::activate() noexcept {
    rolling = true;
    bank.start();
}

void QuorlinPlugin::deactivate() noexcept {
    bank.stop();
    reportDropped();
}

void QuorlinPlugin::run(std::uint32_t frames) noexcept {
    applyControls();
    bank.advance(static_cast<std::int32_t>(position));
    // The input is walked within the size it had before any output is written: a host may have
    // connected both ports to one buffer. Every input event keeps its room, in place and not:
    // the plug-in's own messages take only what the input still to come leaves free.
    InputSequence input(midiIn);
    if (midiIn != nullptr && static_cast<const void*>(midiIn) == midiOut) {
        output.beginInPlace(midiOut, midiIn->atom.size);
    } else {
        output.begin(midiOut);
    }
    if (bank.speedsDue()) {
        sendSpeeds(0, input.remainingFromCurrent());
    }
    while (const LV2_Atom_Event* event = input.next()) {
        std::uint32_t frame = frameWithin(event->time.frames, frames);
        std::uint32_t ahead = input.remainingFromCurrent();
        if (event->body.type == urids.midiEvent) {
            handleMidi(frame, event->body, ahead);
        } else if (event->body.type == urids.atomObject || event->body.type == urids.atomBlank) {
            handleTransport(frame, event->body, ahead);
        }
    }
    position += frames;
}

namespace {

// A control's value, taken into `applied` when it differs (not a number always does); false when
// the port is unconnected or unchanged.
bool takeChange(const float* port, float& applied) noexcept {
    if (port == nullptr || *port == applied) {
        return false;
    }
    applied = *port;
    return true;
}

// A toggle, on above 0.5 and off when unconnected, taken into `applied` when it changed.
bool takeToggle(const float* port, bool& applied) noexcept {
    bool on = port != nullptr && *port > 0.5f;
    if (on == applied) {
        return false;
    }
    applied = on;
    return true;
}

} // namespace

void QuorlinPlugin::applyControls() noexcept {
    if (takeChange(speedPort, appliedSpeed)) {
        bank.setSpeed(playing::speedFromControl(appliedSpeed));
    }
    if (takeChange(chordWindowPort, appliedWindow)) {
        bank.setChordWindow(appliedWindow);
    }
    if (takeToggle(onChangePort, appliedOnChange)) {
        bank.setPortamentoOnChange(appliedOnChange);
    }
    if (takeToggle(glideSourcePort, appliedGlideSource)) {
        bank.setGlideSource(appliedGlideSource);
    }
    if (takeChange(intervalLimitPort, appliedInterval)) {
        bank.setIntervalLimit(playing::intervalFromControl(appliedInterval));
    }
    if (takeChange(tolerancePort, appliedTolerance)) {
        bank.setLegatoTolerance(appliedTolerance);
    }
}

void QuorlinPlugin::handleMidi(std::uint32_t frame, const LV2_Atom& atom,
                               std::uint32_t ahead) noexcept {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&atom + 1);
    ChannelBank::Before before =
        bank.receive(bytes, atom.size, static_cast<std::int32_t>(position + frame));
    for (std::size_t index = 0; index < before.size(); ++index) {
        sendOwn(frame, before[index], ahead);
    }
    if (atom.size == 0 || atom.size > 3) {
        output.write(frame, bytes, atom.size);
        return;
    }
    // The common case, a short message, is stored whole at once; only its own bytes are read.
    const std::uint8_t message[3] = {bytes[0], atom.size > 1 ? bytes[1] : std::uint8_t{0},
                                     atom.size > 2 ? bytes[2] : std::uint8_t{0}};
    output.writeMessage(frame, message, atom.size, 0);
}

void QuorlinPlugin::handleTransport(std::uint32_t frame, const LV2_Atom& atom,
                                    std::uint32_t ahead) noexcept {
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
        bank.stop(); // held keys are forgotten
    } else if (speed != 0.0 && !rolling) {
        rolling = true;
        bank.start();
        sendSpeeds(frame, ahead);
    }
}

void QuorlinPlugin::sendSpeeds(std::uint32_t frame, std::uint32_t ahead) noexcept {
    ChannelBank::Speeds speeds = bank.dueSpeeds();
    for (std::size_t index = 0; index < speeds.size(); ++index) {
        sendOwn(frame, speeds[index], ahead);
    }
}

void QuorlinPlugin::sendOwn(std::uint32_t frame, const ShortMessage& message,
                            std::uint32_t ahead) noexcept {
    const std::uint8_t bytes[3] = {message.status, message.first, message.second};
    if (!output.writeMessage(frame, bytes, sizeof bytes, ahead)) {
        bank.notSent(message);
    }
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
