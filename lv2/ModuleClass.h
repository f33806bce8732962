#pragma once

#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"

namespace quorlin::lv2 {

// The module's class as the plug-in's own library offers it: the factory from its export, with
// one reference held, and the first class of the MIDI module category.
class ModuleClass {
public:
    ModuleClass() noexcept;
    ModuleClass(const ModuleClass&) = delete;
    ModuleClass& operator=(const ModuleClass&) = delete;
    ~ModuleClass();

    // False when the factory or the class is missing.
    bool found() const noexcept { return factory != nullptr && hasClass; }
    // A new instance with one reference, or null.
    ModuleInterface* create() const noexcept;

private:
    FactoryInterface* factory = nullptr;
    ClassInfo info{};
    bool hasClass = false;
};

} // namespace quorlin::lv2
