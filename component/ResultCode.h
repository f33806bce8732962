#pragma once

#include <cstdint>

namespace quorlin {

// The 32-bit status every interface operation returns.
using ResultCode = std::int32_t;

inline constexpr ResultCode resultOk = 0;
inline constexpr ResultCode resultFalse = 1;
inline constexpr ResultCode resultNoInterface = static_cast<ResultCode>(0x80004002u);
inline constexpr ResultCode resultInvalidArgument = static_cast<ResultCode>(0x80070057u);
inline constexpr ResultCode resultUnexpected = static_cast<ResultCode>(0x8000FFFFu);
// Memory ran out; the operation changed nothing.
inline constexpr ResultCode resultOutOfMemory = static_cast<ResultCode>(0x8007000Eu);

} // namespace quorlin
