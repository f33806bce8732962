#include "PluginFactory.h"

#include "ProductClass.h"
#include "component/InterfaceMap.h"

#include <cstring>
#include <new>

namespace quorlin {

namespace {

PluginFactory* liveFactory = nullptr;

} // namespace

PluginFactory::PluginFactory(const FactoryInfo& info) : factoryInfo(info), classes{} {}

PluginFactory::~PluginFactory() {
    if (liveFactory == this) {
        liveFactory = nullptr;
    }
}

PluginFactory* PluginFactory::singleton() {
    return liveFactory;
}

ResultCode PluginFactory::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    return answerQueryInterface(iid, out,
                                {{&UnknownInterfaceId, static_cast<FactoryInterface*>(this)},
                                 {&FactoryInterfaceId, static_cast<FactoryInterface*>(this)}},
                                *this);
}

std::uint32_t PluginFactory::AddRef() noexcept {
    return refCount.add();
}

std::uint32_t PluginFactory::Release() noexcept {
    return refCount.release([this] { delete this; });
}

ResultCode PluginFactory::getFactoryInfo(FactoryInfo* info) noexcept {
    if (info != nullptr) {
        std::memcpy(info, &factoryInfo, sizeof factoryInfo);
    }
    return resultOk;
}

std::int32_t PluginFactory::countClasses() noexcept {
    return classCount;
}

ResultCode PluginFactory::getClassInfo(std::int32_t index, ClassInfo* info) noexcept {
    if (info == nullptr || index < 0 || index >= classCount) {
        return resultInvalidArgument;
    }
    std::memcpy(info, &classes[index].info, sizeof(ClassInfo));
    return resultOk;
}

ResultCode PluginFactory::createInstance(const InterfaceIdBytes* classId,
                                         const InterfaceIdBytes* iid, void** out) noexcept {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    // Checked before anything is created, so a bad call leaves no object behind.
    if (classId == nullptr || iid == nullptr) {
        *out = nullptr;
        return resultInvalidArgument;
    }
    for (std::int32_t row = 0; row < classCount; ++row) {
        const ClassEntry& entry = classes[row];
        if (!InterfaceId(entry.info.classId).matches(classId)) {
            continue;
        }
        UnknownInterface* created = entry.create(entry.userData);
        if (created == nullptr) {
            break;
        }
        ResultCode queried = created->QueryInterface(iid, out);
        // The caller keeps the query's reference; creation's own goes back, which destroys the
        // object when the query failed.
        created->Release();
        if (queried == resultOk) {
            return resultOk;
        }
        break;
    }
    *out = nullptr;
    return resultNoInterface;
}

bool PluginFactory::registerClass(const ClassInfo* info, ClassCreateFunction create,
                                  void* userData) {
    if (info == nullptr || create == nullptr || classCount + 1 >= tableRows) {
        return false;
    }
    ClassEntry& entry = classes[classCount];
    std::memcpy(&entry.info, info, sizeof(ClassInfo));
    entry.create = create;
    entry.userData = userData;
    ++classCount;
    return true;
}

FactoryInterface* acquirePluginFactory() {
    if (liveFactory != nullptr) {
        liveFactory->AddRef();
        return liveFactory;
    }
    // Running out of memory must not throw into the host: it gets no factory instead.
    PluginFactory* factory = nullptr;
    try {
        factory = new PluginFactory(productFactoryInfo);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    liveFactory = factory;
    factory->registerClass(&productClassInfo, createProductInstance,
                           const_cast<ClassInfo*>(&productClassInfo));
    return factory;
}

} // namespace quorlin
