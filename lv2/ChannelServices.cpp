#include "lv2/ChannelServices.h"

#include "component/MidiProtocol.h"
#include "lv2/ChannelMessage.h"

namespace quorlin::lv2 {

HostEvent* ChannelServices::createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t) noexcept {
    HostEvent* event = pool.acquire();
    if (event == nullptr) {
        spare = HostEvent{};
        spare.discard = true;
        event = &spare;
    }
    event->status = status;
    event->data1 = data1;
    event->data2 = data2;
    event->position = cycle.positionOf(cycle.currentFrame());
    event->channel = channel;
    return event;
}

ResultCode ChannelServices::releaseEvent(HostEvent* event) noexcept {
    if (event != &spare) {
        pool.release(event);
    }
    return resultOk;
}

ResultCode ChannelServices::send(HostEvent* event) noexcept {
    ChannelMessage message = ChannelMessage::of(*event);
    if (event->discard || !message.valid()) {
        cycle.sink().countDropped();
        return resultFalse;
    }
    std::uint32_t frame = event->immediate ? cycle.currentFrame() : cycle.frameOf(event->position);
    return cycle.sink().write(frame, message.bytes(), message.size()) ? resultOk : resultFalse;
}

} // namespace quorlin::lv2
