#include "lv2/ModuleClass.h"

#include <cstring>

// Linked into the bundle from the module's own sources; hidden from everything outside it.
extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::lv2 {

namespace {

constexpr const char* moduleCategory = "Midi Module Class";

template <std::size_t width> bool fieldEquals(const char (&field)[width], const char* text) {
    return std::strncmp(field, text, width) == 0;
}

} // namespace

ModuleClass::ModuleClass() noexcept : factory(GetPluginFactory()) {
    if (factory == nullptr) {
        return;
    }
    std::int32_t count = factory->countClasses();
    for (std::int32_t index = 0; index < count; ++index) {
        ClassInfo candidate{};
        if (factory->getClassInfo(index, &candidate) == resultOk &&
            fieldEquals(candidate.category, moduleCategory)) {
            info = candidate;
            hasClass = true;
            return;
        }
    }
}

ModuleClass::~ModuleClass() {
    if (factory != nullptr) {
        factory->Release();
    }
}

ModuleInterface* ModuleClass::create() const noexcept {
    if (!found()) {
        return nullptr;
    }
    InterfaceIdBytes classId;
    std::memcpy(classId.bytes, info.classId, sizeof classId.bytes);
    void* created = nullptr;
    // Only a success carries a reference; whatever a refusal stored is not ours to release.
    if (factory->createInstance(&classId, ModuleInterfaceId.raw(), &created) != resultOk) {
        return nullptr;
    }
    return static_cast<ModuleInterface*>(created);
}

} // namespace quorlin::lv2
