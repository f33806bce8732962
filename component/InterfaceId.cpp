#include "InterfaceId.h"

#include <cstring>

namespace quorlin {

InterfaceId::InterfaceId(const void* rawBytes) : value{} {
    if (rawBytes != nullptr) {
        std::memcpy(value.bytes, rawBytes, sizeof value.bytes);
    }
}

bool InterfaceId::matches(const InterfaceIdBytes* other) const {
    // Four 32-bit words; memcpy keeps the reads free of alignment assumptions.
    std::uint32_t mine[4];
    std::uint32_t theirs[4];
    std::memcpy(mine, value.bytes, sizeof mine);
    std::memcpy(theirs, other->bytes, sizeof theirs);
    return mine[0] == theirs[0] && mine[1] == theirs[1] && mine[2] == theirs[2] &&
           mine[3] == theirs[3];
}

} // namespace quorlin
