#pragma once

#include "CallingConvention.h"
#include "UnknownInterface.h"

#include <cstdint>

namespace quorlin {

class ParameterOwnerInterface;

// A parameter's first interface and identity. Operations without a status return nothing.
class ParameterInterface : public UnknownInterface {
public:
    virtual void QUORLIN_CALL toText(char* text) noexcept = 0;           // 4, at least 12 bytes
    virtual void QUORLIN_CALL fromText(const char* text) noexcept = 0;   // 5
    virtual std::int32_t QUORLIN_CALL getValue() noexcept = 0;           // 6
    virtual void QUORLIN_CALL setValue(std::int32_t value) noexcept = 0; // 7
    virtual std::int32_t QUORLIN_CALL getMin() noexcept = 0;             // 8
    virtual std::int32_t QUORLIN_CALL getMax() noexcept = 0;             // 9
    virtual void QUORLIN_CALL attach(ParameterOwnerInterface* owner,
                                     std::int32_t tag) noexcept = 0; // 10

protected:
    ~ParameterInterface() = default;
};

// A parameter's second interface: listeners and the reporting option.
class ParameterNotifierInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL addListener(UnknownInterface* object) noexcept = 0;    // 4
    virtual ResultCode QUORLIN_CALL removeListener(UnknownInterface* object) noexcept = 0; // 5
    // Only the lowest byte of `enabled` counts.
    virtual ResultCode QUORLIN_CALL setOption(std::int32_t kind,
                                              std::int32_t enabled) noexcept = 0; // 6

protected:
    ~ParameterNotifierInterface() = default;
};

// What a listener answers for ParameterListenerInterfaceId. Only the fifth place is called;
// the fourth is kept so parameterChanged sits where the owner interface has it.
class ParameterListenerInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL unusedSlot4() noexcept = 0;
    virtual ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                                     std::int32_t tag) noexcept = 0; // 5

protected:
    ~ParameterListenerInterface() = default;
};

} // namespace quorlin
