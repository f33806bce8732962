#pragma once

#include "CallingConvention.h"
#include "InterfaceId.h"
#include "ResultCode.h"

#include <cstdint>

namespace quorlin {

// The three operations that open every interface table, in this order.
class UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                                   void** out) noexcept = 0;
    virtual std::uint32_t QUORLIN_CALL AddRef() noexcept = 0;
    virtual std::uint32_t QUORLIN_CALL Release() noexcept = 0;

protected:
    // Objects are destroyed through Release, never through an interface pointer.
    ~UnknownInterface() = default;
};

} // namespace quorlin
