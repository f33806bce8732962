// Resource lookup over the table the build generates from the resource files.

#include "ResourceStandIn.h"

#include <windows.h>

namespace {

std::uint16_t integerName(LPCSTR name) {
    auto value = reinterpret_cast<std::uintptr_t>(name);
    return value > 0xFFFF ? 0 : static_cast<std::uint16_t>(value); // string names are not kept
}

} // namespace

extern "C" HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
    std::uint16_t number = integerName(name);
    std::uint16_t typeNumber = integerName(type);
    for (std::size_t i = 0; i < standInResourceCount; ++i) {
        const StandInResource& resource = standInResources[i];
        if (number != 0 && resource.number == number && resource.type == typeNumber) {
            return reinterpret_cast<HRSRC>(const_cast<StandInResource*>(&resource));
        }
    }
    return nullptr;
}

extern "C" DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<const StandInResource*>(resource)->size);
}

extern "C" HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        return nullptr;
    }
    return const_cast<unsigned char*>(reinterpret_cast<const StandInResource*>(resource)->data);
}

extern "C" LPVOID LockResource(HGLOBAL data) {
    return data;
}
