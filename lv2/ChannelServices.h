#pragma once

#include "component/HostEventServices.h"
#include "lv2/Cycle.h"
#include "lv2/EventPool.h"
#include "lv2/HostEvent.h"

#include <cstdint>

namespace quorlin::lv2 {

// The event services of one MIDI channel's module instance: events are read from the handle,
// created from the plug-in's pool on this channel, and sent into the cycle's output at their
// positions. Events keep no length: played live, keys leave by their note-offs. Immediate events go
// out at the frame being handled.
class ChannelServices final : public HostEventServices<HostEvent> {
public:
    ChannelServices(std::uint8_t channel, EventPool& pool, Cycle& cycle)
        : channel(channel), pool(pool), cycle(cycle) {
        spare.discard = true;
    }
    ~ChannelServices() = default;

    HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t fourth) noexcept override;
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept override;
    // Both ways out go into the cycle's output.
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept override { return send(event); }
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept override { return send(event); }

private:
    ResultCode send(HostEvent* event) noexcept;

    std::uint8_t channel;
    EventPool& pool;
    Cycle& cycle;
    // What createEvent answers when the pool is empty: the module relies on getting an event.
    HostEvent spare;
};

} // namespace quorlin::lv2
