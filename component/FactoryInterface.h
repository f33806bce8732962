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

class FactoryInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL getFactoryInfo(FactoryInfo* info) noexcept = 0; // 4
    virtual std::int32_t QUORLIN_CALL countClasses() noexcept = 0;                  // 5
    virtual ResultCode QUORLIN_CALL getClassInfo(std::int32_t index,
                                                 ClassInfo* info) noexcept = 0; // 6
    virtual ResultCode QUORLIN_CALL createInstance(const InterfaceIdBytes* classId,
                                                   const InterfaceIdBytes* iid,
                                                   void** out) noexcept = 0; // 7
    // Place 8 and last; the host never calls it.
    virtual ~FactoryInterface() = default;
};

// The library's one export.
using GetPluginFactoryFunction = FactoryInterface*(QUORLIN_CALL*)();
inline constexpr const char* pluginFactoryExportName = "GetPluginFactory";

} // namespace quorlin
