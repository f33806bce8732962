#pragma once

#include "CallingConvention.h"
#include "InterfaceId.h"
#include "ResultCode.h"

#include <cstdint>

namespace quorlin {

// The three operations that open every interface table, in this order.
class UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid, void** out) = 0;
    virtual std::uint32_t QUORLIN_CALL AddRef() = 0;
    virtual std::uint32_t QUORLIN_CALL Release() = 0;

protected:
    // Objects are destroyed through Release, never through an interface pointer.
    ~UnknownInterface() = default;
};

} // namespace quorlin
