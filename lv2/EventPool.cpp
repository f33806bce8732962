#include "lv2/EventPool.h"

#include <functional>

namespace quorlin::lv2 {

EventPool::EventPool(std::size_t size)
    : capacity(size), events(new HostEvent[size]), freeEvents(new HostEvent*[size]),
      freeCount(size) {
    for (std::size_t index = 0; index < size; ++index) {
        freeEvents[index] = &events[size - 1 - index];
    }
}

HostEvent* EventPool::acquire() noexcept {
    if (freeCount == 0) {
        return nullptr;
    }
    HostEvent* event = freeEvents[--freeCount];
    *event = HostEvent{};
    return event;
}

void EventPool::release(HostEvent* event) noexcept {
    if (owns(event) && freeCount < capacity) {
        freeEvents[freeCount++] = event;
    }
}

bool EventPool::owns(const HostEvent* event) const noexcept {
    std::less_equal<const HostEvent*> atOrBefore;
    return event != nullptr && atOrBefore(events.get(), event) &&
           atOrBefore(event, events.get() + capacity - 1);
}

} // namespace quorlin::lv2
