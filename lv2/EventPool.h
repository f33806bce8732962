#pragma once

#include "lv2/HostEvent.h"

#include <cstddef>
#include <memory>

namespace quorlin::lv2 {

// The events the module creates, taken from room made when the plug-in is instantiated: the
// event path never touches the heap. Not shared between plug-in instances.
class EventPool {
public:
    explicit EventPool(std::size_t capacity);
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    // Null when every event is in use.
    HostEvent* acquire() noexcept;
    // Takes back an event of this pool; anything else is ignored.
    void release(HostEvent* event) noexcept;

    std::size_t inUse() const noexcept { return capacity - freeCount; }

private:
    bool owns(const HostEvent* event) const noexcept;

    std::size_t capacity;
    std::unique_ptr<HostEvent[]> events;
    std::unique_ptr<HostEvent*[]> freeEvents;
    std::size_t freeCount;
};

} // namespace quorlin::lv2
