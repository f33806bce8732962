#pragma once

#include "component/FactoryInterface.h"
#include "component/ReferenceCount.h"

#include <cstdint>

namespace quorlin {

// Makes one object of a class from the user data registered with it; null when none was made.
using ClassCreateFunction = UnknownInterface* (*)(void* userData);

// One row of the factory's class table.
struct ClassEntry {
    ClassInfo info;
    ClassCreateFunction create;
    void* userData;
};

// The object the library's export hands out: vendor information, the classes the library
// offers and the creation of their instances.
class PluginFactory final : public FactoryInterface {
public:
    static constexpr std::int32_t tableRows = 100;

    explicit PluginFactory(const FactoryInfo& info);
    PluginFactory(const PluginFactory&) = delete;
    PluginFactory& operator=(const PluginFactory&) = delete;
    ~PluginFactory() override;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;
    ResultCode QUORLIN_CALL getFactoryInfo(FactoryInfo* info) noexcept override;
    std::int32_t QUORLIN_CALL countClasses() noexcept override;
    ResultCode QUORLIN_CALL getClassInfo(std::int32_t index, ClassInfo* info) noexcept override;
    ResultCode QUORLIN_CALL createInstance(const InterfaceIdBytes* classId,
                                           const InterfaceIdBytes* iid,
                                           void** out) noexcept override;

    // At most tableRows - 1 classes are accepted; the last row stays empty.
    bool registerClass(const ClassInfo* info, ClassCreateFunction create, void* userData);

    std::int32_t referenceCount() const { return refCount.value(); }

    // The live factory, or null.
    static PluginFactory* singleton();

private:
    ReferenceCount refCount;
    FactoryInfo factoryInfo;
    ClassEntry classes[tableRows];
    std::int32_t classCount = 0;
};

// What the export does: the live factory with one more reference, or a new one with the
// product's class registered; null when memory runs out.
FactoryInterface* acquirePluginFactory();

} // namespace quorlin
