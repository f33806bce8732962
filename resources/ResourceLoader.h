#pragma once

#include <windows.h>

#include <cstdint>

namespace quorlin {

// The library's own instance handle, recorded by the library entry routine at load; the module
// whose resources are read when no other is named.
extern HINSTANCE moduleInstance;

// The type number of raw-data resources, under which the skin and the bitmaps are stored.
inline constexpr std::uint16_t rawDataResourceType = 10;

// Looks up the raw-data resource `*number` in `module` (null: moduleInstance). Numbers of 0 or
// below find nothing; otherwise the low 16 bits select the resource. With a buffer, copies the
// resource's bytes into it, nothing more. The size is stored whenever the resource exists.
// True when the resource exists and, given a buffer, its bytes were copied.
bool loadResourceData(HMODULE module, const std::int32_t* number, void* buffer,
                      std::uint32_t* size);

} // namespace quorlin
