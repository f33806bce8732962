#pragma once

#include "CallingConvention.h"
#include "UnknownInterface.h"

#include <cstdint>

namespace quorlin {

class ParameterOwnerInterface;

// Every parameter operation is called on the host's main thread, the one whose message loop
// runs the change timer, at any time while the caller holds or borrows the parameter; none
// throws. Text pointers are borrowed for the call and must not be null.

// A parameter's first interface and identity. Operations without a status return nothing.
class ParameterInterface : public UnknownInterface {
public:
    // Any time: writes the value as text into the caller's buffer of at least 12 bytes.
    virtual void QUORLIN_CALL toText(char* text) noexcept = 0;
    // Any time: sets the value the text reads as (a number, or "Off"), as setValue does.
    virtual void QUORLIN_CALL fromText(const char* text) noexcept = 0;
    // Any time: the current value, as the result itself.
    virtual std::int32_t QUORLIN_CALL getValue() noexcept = 0;
    // Any time: clamps and stores; a change calls the owner at once, listeners at the next tick.
    virtual void QUORLIN_CALL setValue(std::int32_t value) noexcept = 0;
    // Any time: the lowest value, as the result itself.
    virtual std::int32_t QUORLIN_CALL getMin() noexcept = 0;
    // Any time: the highest value, as the result itself.
    virtual std::int32_t QUORLIN_CALL getMax() noexcept = 0;
    // When added to a list: keeps `owner` without a reference and reports changes with `tag`;
    // a null `owner` means no owner to call.
    virtual void QUORLIN_CALL attach(ParameterOwnerInterface* owner, std::int32_t tag) noexcept = 0;

protected:
    ~ParameterInterface() = default;
};

// A parameter's second interface: listeners and the reporting option.
class ParameterNotifierInterface : public UnknownInterface {
public:
    // Any time: keeps the object's listener reference; 0, out of memory, or invalid argument
    // for a null `object` or one that does not answer ParameterListenerInterfaceId.
    virtual ResultCode QUORLIN_CALL addListener(UnknownInterface* object) noexcept = 0;
    // Any time, also from a tick: drops one registration; 0, 1 not registered, or invalid
    // argument as for addListener.
    virtual ResultCode QUORLIN_CALL removeListener(UnknownInterface* object) noexcept = 0;
    // Any time: kind 1 turns change reports on or off by the low byte of `enabled`; always 0.
    virtual ResultCode QUORLIN_CALL setOption(std::int32_t kind, std::int32_t enabled) noexcept = 0;

protected:
    ~ParameterNotifierInterface() = default;
};

// What a listener answers for ParameterListenerInterfaceId, implemented by the host.
class ParameterListenerInterface : public UnknownInterface {
public:
    // Never called: it keeps parameterChanged where the owner interface has it.
    virtual ResultCode QUORLIN_CALL unusedSlot4() noexcept = 0;
    // On the timer's tick: borrowed `parameter` changed since the last tick; result ignored.
    virtual ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                                     std::int32_t tag) noexcept = 0;

protected:
    ~ParameterListenerInterface() = default;
};

} // namespace quorlin
