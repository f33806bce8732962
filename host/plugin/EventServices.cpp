#include "host/plugin/EventServices.h"

#include "host/plugin/InterfacePointer.h"

#include "legato/MidiProtocol.h"

#include <new>

namespace quorlin::host {

namespace {

bool isDataValue(std::int32_t value) {
    return value >= 0 && value <= midi::dataMax;
}

// Channel message kinds, without channel bits.
bool isChannelKind(std::int32_t status) {
    return status >= midi::statusNoteOff && status <= midi::statusPitchBend &&
           (status & midi::channelMask) == 0;
}

} // namespace

HostMidiEvent EventServices::incoming(const MidiEvent& message, std::int32_t length) {
    HostMidiEvent event;
    event.status = message.command();
    event.channel = message.channel();
    event.data1 = message.data1;
    event.data2 = message.data2;
    event.position = static_cast<std::int32_t>(message.tick);
    event.length = length;
    return event;
}

void EventServices::direct(std::vector<MidiEvent>* target, std::uint32_t tick,
                           std::uint8_t channel) {
    sink = target;
    currentTick = tick;
    currentChannel = channel;
}

HostEvent* EventServices::createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                      std::int32_t) noexcept {
    HostMidiEvent* event = nullptr;
    if (spare.empty()) {
        try {
            event = &created.emplace_back();
            spare.reserve(created.size());
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
            return nullptr;
        }
    } else {
        event = spare.back();
        spare.pop_back();
        *event = HostMidiEvent{};
    }
    // A status with channel bits keeps only its kind: the host decides the channel.
    event->status = status >= midi::statusNoteOff && status < midi::statusSysEx
                        ? status & midi::statusKindMask
                        : status;
    event->channel = currentChannel;
    event->data1 = data1;
    event->data2 = data2;
    event->position = static_cast<std::int32_t>(currentTick);
    event->createdByPlugin = true;
    return handleOf(event);
}

ResultCode EventServices::releaseEvent(HostEvent* handle) noexcept {
    HostMidiEvent* event = eventOf(handle);
    if (event == nullptr || !event->createdByPlugin || event->released) {
        return resultInvalidArgument;
    }
    event->released = true;
    spare.push_back(event);
    return resultOk;
}

ResultCode EventServices::send(HostEvent* handle) {
    const HostMidiEvent* event = eventOf(handle);
    if (event == nullptr || event->released || !isChannelKind(event->status) ||
        !isDataValue(event->data1) || !isDataValue(event->data2) || event->channel < 0 ||
        event->channel > 15) {
        return resultInvalidArgument;
    }
    if (sink == nullptr) {
        return resultUnexpected;
    }
    // Immediate events, and any without a position in the file, happen now.
    std::uint32_t tick = event->position >= 0 && !event->immediate
                             ? static_cast<std::uint32_t>(event->position)
                             : currentTick;
    auto status = static_cast<std::uint8_t>(event->status | event->channel);
    try {
        sink->push_back(MidiEvent::channelMessage(tick, status,
                                                  static_cast<std::uint8_t>(event->data1),
                                                  static_cast<std::uint8_t>(event->data2)));
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
        return resultUnexpected;
    }
    return resultOk;
}

} // namespace quorlin::host
