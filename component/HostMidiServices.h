#pragma once

#include "CallingConvention.h"
#include "HostEvent.h"
#include "ResultCode.h"
#include "UnknownInterface.h"

#include <cstdint>

namespace quorlin {

// The host's event services. Every place up to the 32nd is declared so each operation sits at
// its number; the unusedSlotN operations are never called by the module.
class HostMidiServices : public UnknownInterface {
public:
    virtual HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1,
                                                std::int32_t data2,
                                                std::int32_t fourth) noexcept = 0; // 4
    virtual ResultCode QUORLIN_CALL unusedSlot5() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot6() noexcept = 0;
    virtual ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept = 0; // 7
    virtual ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept = 0;  // 8
    virtual ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept = 0; // 9
    virtual ResultCode QUORLIN_CALL setPosition(HostEvent* event,
                                                std::int32_t position) noexcept = 0; // 10
    virtual std::int32_t QUORLIN_CALL getPosition(HostEvent* event) noexcept = 0;    // 11
    virtual ResultCode QUORLIN_CALL unusedSlot12() noexcept = 0;
    virtual std::int32_t QUORLIN_CALL getLength(HostEvent* event) noexcept = 0; // 13
    virtual ResultCode QUORLIN_CALL setImmediate(HostEvent* event,
                                                 std::int32_t on) noexcept = 0;   // 14
    virtual std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) noexcept = 0; // 15
    virtual ResultCode QUORLIN_CALL unusedSlot16() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot17() noexcept = 0;
    virtual std::int32_t QUORLIN_CALL getStatus(HostEvent* event) noexcept = 0; // 18
    virtual ResultCode QUORLIN_CALL unusedSlot19() noexcept = 0;
    virtual std::int32_t QUORLIN_CALL getData1(HostEvent* event) noexcept = 0; // 20
    virtual ResultCode QUORLIN_CALL unusedSlot21() noexcept = 0;
    virtual std::int32_t QUORLIN_CALL getData2(HostEvent* event) noexcept = 0; // 22
    virtual ResultCode QUORLIN_CALL unusedSlot23() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot24() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot25() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot26() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot27() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot28() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot29() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot30() noexcept = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot31() noexcept = 0;
    virtual ResultCode QUORLIN_CALL setHostOption(std::int32_t option) noexcept = 0; // 32

protected:
    ~HostMidiServices() = default;
};

} // namespace quorlin
