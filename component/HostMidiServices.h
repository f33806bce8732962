#pragma once

#include "CallingConvention.h"
#include "HostEvent.h"
#include "ResultCode.h"
#include "UnknownInterface.h"

#include <cstdint>

namespace quorlin {

// The host's event services, implemented by the host. The module calls them only while
// connected, on the host's main thread, from its own operations; none may throw. Every place up
// to the 32nd is declared so each operation sits at its number; the unusedSlotN are never
// called. Events passed in are the host's; those from createEvent are the module's until it
// releases them.
class HostMidiServices : public UnknownInterface {
public:
    // A new event owned by the caller until releaseEvent; never null for this host's callers.
    virtual HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1,
                                                std::int32_t data2,
                                                std::int32_t fourth) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot5() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot6() noexcept = 0;
    // Right after sending: gives a created event back to the host; result ignored.
    virtual ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept = 0;
    // Sends the borrowed event at its position; the code becomes processEvent's result.
    virtual ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept = 0;
    // Passes the borrowed event on at once; the code becomes processEvent's result.
    virtual ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept = 0;
    // Sets the borrowed event's position; result ignored.
    virtual ResultCode QUORLIN_CALL setPosition(HostEvent* event,
                                                std::int32_t position) noexcept = 0;
    // The borrowed event's position, as the result itself.
    virtual std::int32_t QUORLIN_CALL getPosition(HostEvent* event) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot12() noexcept = 0;
    // The borrowed event's length, as the result itself; 0 or less means none.
    virtual std::int32_t QUORLIN_CALL getLength(HostEvent* event) noexcept = 0;
    // Marks the borrowed event for immediate output (`on` is 1); result ignored.
    virtual ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) noexcept = 0;
    // Whether the borrowed event is immediate: only the low byte counts, not 0 is set.
    virtual std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot16() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot17() noexcept = 0;
    // The borrowed event's status as a whole value (144, 128, ...), as the result itself.
    virtual std::int32_t QUORLIN_CALL getStatus(HostEvent* event) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot19() noexcept = 0;
    // The borrowed event's first data byte (the note number), as the result itself.
    virtual std::int32_t QUORLIN_CALL getData1(HostEvent* event) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot21() noexcept = 0;
    // The borrowed event's second data byte (the velocity), as the result itself.
    virtual std::int32_t QUORLIN_CALL getData2(HostEvent* event) noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot23() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot24() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot25() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot26() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot27() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot28() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot29() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot30() noexcept = 0;
    // Never called.
    virtual ResultCode QUORLIN_CALL unusedSlot31() noexcept = 0;
    // Once, at the end of initialize, with 1; result ignored.
    virtual ResultCode QUORLIN_CALL setHostOption(std::int32_t option) noexcept = 0;

protected:
    ~HostMidiServices() = default;
};

} // namespace quorlin
