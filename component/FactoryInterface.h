#pragma once

#include "CallingConvention.h"
#include "InterfaceId.h"
#include "ResultCode.h"
#include "UnknownInterface.h"

#include <cstddef>
#include <cstdint>

namespace quorlin {

// Vendor record the host copies by byte. Text fields are zero-terminated and zero-filled.
struct FactoryInfo {
    char vendor[64];
    char webAddress[256];
    char contactAddress[128];
    std::int32_t factoryFlags;
};
static_assert(sizeof(FactoryInfo) == 452);
static_assert(offsetof(FactoryInfo, webAddress) == 64);
static_assert(offsetof(FactoryInfo, contactAddress) == 320);
static_assert(offsetof(FactoryInfo, factoryFlags) == 448);

// One class the library offers, copied by byte.
struct ClassInfo {
    std::uint8_t classId[16];
    std::int32_t cardinality;
    char category[32];
    char name[64];
};
static_assert(sizeof(ClassInfo) == 116);
static_assert(offsetof(ClassInfo, cardinality) == 16);
static_assert(offsetof(ClassInfo, category) == 20);
static_assert(offsetof(ClassInfo, name) == 52);

// What the export hands out. Any operation may be called at any time while the host holds the
// factory, on its main thread; none throws. Records are copied into the caller's memory.
class FactoryInterface : public UnknownInterface {
public:
    // Any time: copies the 452-byte vendor record into `info`; a null `info` is skipped; 0.
    virtual ResultCode QUORLIN_CALL getFactoryInfo(FactoryInfo* info) noexcept = 0;
    // Any time: the number of classes, as the result itself.
    virtual std::int32_t QUORLIN_CALL countClasses() noexcept = 0;
    // Any time: copies the 116-byte record of class `index` (0 to countClasses() - 1) into
    // `info`, 0; another index or a null `info` is an invalid argument, nothing written.
    virtual ResultCode QUORLIN_CALL getClassInfo(std::int32_t index, ClassInfo* info) noexcept = 0;
    // Any time: `out` gets a new instance, its reference the caller's; 0, else null, 0x80004002.
    // A null `classId`, `iid` or `out`: invalid argument, nothing made, null through `out`.
    virtual ResultCode QUORLIN_CALL createInstance(const InterfaceIdBytes* classId,
                                                   const InterfaceIdBytes* iid,
                                                   void** out) noexcept = 0;
    // Last. Called only by Release; with GCC it fills two table entries.
    virtual ~FactoryInterface() = default;
};

// The library's one export: any time, on any thread the host loads from; the factory with one
// reference the caller owns, or null when memory ran out.
using GetPluginFactoryFunction = FactoryInterface*(QUORLIN_CALL*)();
inline constexpr const char* pluginFactoryExportName = "GetPluginFactory";

} // namespace quorlin
