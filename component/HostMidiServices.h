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
                                                std::int32_t data2, std::int32_t fourth) = 0; // 4
    virtual ResultCode QUORLIN_CALL unusedSlot5() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot6() = 0;
    virtual ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) = 0;                   // 7
    virtual ResultCode QUORLIN_CALL outputEvent(HostEvent* event) = 0;                    // 8
    virtual ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) = 0;                   // 9
    virtual ResultCode QUORLIN_CALL setPosition(HostEvent* event, std::int32_t position) = 0; // 10
    virtual std::int32_t QUORLIN_CALL getPosition(HostEvent* event) = 0;                  // 11
    virtual ResultCode QUORLIN_CALL unusedSlot12() = 0;
    virtual std::int32_t QUORLIN_CALL getLength(HostEvent* event) = 0;                    // 13
    virtual ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) = 0;  // 14
    virtual std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) = 0;                  // 15
    virtual ResultCode QUORLIN_CALL unusedSlot16() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot17() = 0;
    virtual std::int32_t QUORLIN_CALL getStatus(HostEvent* event) = 0;                    // 18
    virtual ResultCode QUORLIN_CALL unusedSlot19() = 0;
    virtual std::int32_t QUORLIN_CALL getData1(HostEvent* event) = 0;                     // 20
    virtual ResultCode QUORLIN_CALL unusedSlot21() = 0;
    virtual std::int32_t QUORLIN_CALL getData2(HostEvent* event) = 0;                     // 22
    virtual ResultCode QUORLIN_CALL unusedSlot23() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot24() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot25() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot26() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot27() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot28() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot29() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot30() = 0;
    virtual ResultCode QUORLIN_CALL unusedSlot31() = 0;
    virtual ResultCode QUORLIN_CALL setHostOption(std::int32_t option) = 0;               // 32

protected:
    ~HostMidiServices() = default;
};

} // namespace quorlin
