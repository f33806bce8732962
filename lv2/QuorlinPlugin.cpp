#include "lv2/QuorlinPlugin.h"

#include "lv2/ChannelMessage.h"

#include <lv2/atom/util.h>
#include <lv2/urid/urid.h>

#include <cmath>
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

// The control's value as the parameter takes it: rounded, within -1..127, "Off" for anything
// that is not a number.
std::int32_t speedValue(float control) noexcept {
    if (!(control >= speedOff)) {
        return static_cast<std::int32_t>(speedOff);
    }
    if (control > speedMax) {
        return static_cast<std::int32_t>(speedMax);
    }
    return static_cast<std::int32_t>(std::lround(control));
}

// A number atom as a double; false for other atoms.
bool numberOf(const LV2_Atom* atom, const Urids& urids, double& value) noexcept {
    if (atom == nullptr) {
        return false;
    }
    if (atom->type == urids.atomFloat) {
        value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    } else if (atom->type == urids.atomDouble) {
        value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    } else if (atom->type == urids.atomInt) {
        value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    } else if (atom->type == urids.atomLong) {
        value = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
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

QuorlinPlugin* QuorlinPlugin::create(const LV2_Feature* const* features) noexcept {
    LV2_URID_Map* map = findMap(features);
    if (map == nullptr) {
        PluginLog(features, nullptr).error("the host does not offer urid:map");
        return nullptr;
    }
    QuorlinPlugin* plugin = nullptr;
    try {
        plugin = new QuorlinPlugin(*map, features);
    } catch (const std::bad_alloc&) {
        PluginLog(features, map).error("out of memory");
        return nullptr;
    }
    if (!plugin->open()) {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

QuorlinPlugin::QuorlinPlugin(LV2_URID_Map& map, const LV2_Feature* const* features)
    : urids(map), log(features, &map), pool(channelCount * eventsPerChannel),
      output(urids.atomSequence, urids.midiEvent), cycle(output) {
    for (std::int32_t channel = 0; channel < channelCount; ++channel) {
        channels[channel] =
            std::make_unique<ModuleChannel>(static_cast<std::uint8_t>(channel), pool, cycle);
    }
}

QuorlinPlugin::~QuorlinPlugin() = default;

bool QuorlinPlugin::open() noexcept {
    if (!moduleClass.found()) {
        log.error("the module's class factory offers no MIDI module class");
        return false;
    }
    for (auto& channel : channels) {
        if (!channel->open(moduleClass)) {
            log.error("a module instance could not be created and initialized");
            return false;
        }
    }
    return true;
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
    }
}

void QuorlinPlugin::activate() noexcept {
    rolling = true;
    for (auto& channel : channels) {
        channel->start(); // controller 5 due at each channel's next position call
    }
}

void QuorlinPlugin::deactivate() noexcept {
    for (auto& channel : channels) {
        channel->stop();
    }
    reportDropped();
}

void QuorlinPlugin::run(std::uint32_t frames) noexcept {
    applySpeed();
    output.begin(midiOut);
    cycle.begin(position, frames);
    std::int32_t start = cycle.positionOf(0);
    for (auto& channel : channels) {
        if (channel->active()) {
            channel->processTime(start);
        }
    }
    if (midiIn != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(midiIn, event) {
            std::uint32_t frame = frameWithin(event->time.frames, frames);
            cycle.moveTo(frame);
            if (event->body.type == urids.midiEvent) {
                handleMidi(frame, event->body);
            } else if (event->body.type == urids.atomObject ||
                       event->body.type == urids.atomBlank) {
                handleTransport(frame, *reinterpret_cast<const LV2_Atom_Object*>(&event->body));
            }
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
    for (auto& channel : channels) {
        channel->setSpeed(value); // the module marks controller 5 due at once
    }
}

void QuorlinPlugin::handleMidi(std::uint32_t frame, const LV2_Atom& atom) noexcept {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&atom + 1);
    ChannelMessage message = ChannelMessage::parse(bytes, atom.size);
    if (!message.valid()) {
        output.write(frame, bytes, atom.size); // system messages and the like pass unchanged
        return;
    }
    HostEvent event = message.event(cycle.positionOf(frame));
    channels[message.channel()]->processEvent(event);
}

void QuorlinPlugin::handleTransport(std::uint32_t frame, const LV2_Atom_Object& object) noexcept {
    if (object.body.otype != urids.timePosition) {
        return;
    }
    const LV2_Atom* speedAtom = nullptr;
    lv2_atom_object_get(&object, urids.timeSpeed, &speedAtom, 0);
    double speed = 0.0;
    if (!numberOf(speedAtom, urids, speed)) {
        return;
    }
    if (speed == 0.0 && rolling) {
        rolling = false;
        for (auto& channel : channels) {
            channel->stop(); // held keys are forgotten
        }
    } else if (speed != 0.0 && !rolling) {
        rolling = true;
        std::int32_t at = cycle.positionOf(frame);
        for (auto& channel : channels) {
            channel->start();
            if (channel->active()) {
                channel->processTime(at);
            }
        }
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
