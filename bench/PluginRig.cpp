#include "PluginRig.h"

#include "factory/ProductClass.h"

namespace quorlin::bench {

PluginRig::PluginRig() {
    UnknownInterface* created = createProductInstance(const_cast<ClassInfo*>(&productClassInfo));
    if (created == nullptr) {
        return;
    }
    void* module = nullptr;
    ResultCode answer = created->QueryInterface(ModuleInterfaceId.raw(), &module);
    created->Release();
    if (answer != resultOk || module == nullptr) {
        return;
    }
    instance = static_cast<ModuleInterface*>(module);
    initialized = instance->initialize(&context) == resultOk;
}

PluginRig::~PluginRig() {
    if (instance == nullptr) {
        return;
    }
    if (initialized) {
        instance->terminate();
    }
    instance->Release();
}

bool PluginRig::setSpeed(std::int32_t value) {
    void* answer = nullptr;
    if (!initialized ||
        instance->QueryInterface(ParameterOwnerInterfaceId.raw(), &answer) != resultOk) {
        return false;
    }
    auto* owner = static_cast<ParameterOwnerInterface*>(answer);
    ParameterInterface* speed = nullptr;
    bool found = owner->findParameter("portamentoSpeed", &speed) == resultOk;
    if (found) {
        speed->setValue(value);
    }
    owner->Release();
    return found && speed->getValue() == value;
}

} // namespace quorlin::bench
