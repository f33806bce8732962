#pragma once

#include "CallingConvention.h"
#include "InterfaceId.h"
#include "ResultCode.h"

#include <cstdint>

namespace quorlin {

// The three operations that open every interface table, in this order. They may be called at
// any time while the caller holds a reference, on the thread that uses the object.
class UnknownInterface {
public:
    // `out` gets the asked interface AddRef'd for the caller, 0; else null, 0x80004002. A null
    // `iid` or `out` is an invalid argument (0x80070057), with null stored through a given `out`.
    virtual ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                                   void** out) noexcept = 0;
    // Takes one more reference for the caller; answers the new count.
    virtual std::uint32_t QUORLIN_CALL AddRef() noexcept = 0;
    // Gives back one of the caller's references; answers the new count, 0 once destroyed.
    virtual std::uint32_t QUORLIN_CALL Release() noexcept = 0;

protected:
    // Objects are destroyed through Release, never through an interface pointer.
    ~UnknownInterface() = default;
};

} // namespace quorlin
