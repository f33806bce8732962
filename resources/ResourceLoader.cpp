#include "ResourceLoader.h"

#include <cstring>

namespace quorlin {

HINSTANCE moduleInstance = nullptr;

bool loadResourceData(HMODULE module, const std::int32_t* number, void* buffer,
                      std::uint32_t* size) {
    if (module == nullptr) {
        module = moduleInstance;
    }
    if (number == nullptr || *number <= 0) {
        return false;
    }
    // Resource names are 16 bits wide; higher bits of the number play no part.
    const auto name = static_cast<std::uint16_t>(static_cast<std::uint32_t>(*number) & 0xFFFFu);
    HRSRC resource =
        FindResourceA(module, MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(rawDataResourceType));
    if (resource == nullptr) {
        return false;
    }
    const DWORD byteCount = SizeofResource(module, resource);
    bool found = true;
    if (buffer != nullptr) {
        HGLOBAL loaded = LoadResource(module, resource);
        const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
        if (bytes == nullptr) {
            found = false;
        } else {
            std::memcpy(buffer, bytes, byteCount);
        }
    }
    // The caller sizes its buffer from this, so it is reported even when the bytes were not.
    if (size != nullptr) {
        *size = byteCount;
    }
    return found;
}

} // namespace quorlin
