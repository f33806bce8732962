#include "lv2/ModuleChannel.h"

namespace quorlin::lv2 {

ModuleChannel::ModuleChannel(std::uint8_t channel, EventPool& pool, Cycle& cycle) noexcept
    : services(channel, pool, cycle), context(services) {}

ModuleChannel::~ModuleChannel() {
    close();
}

bool ModuleChannel::open(const ModuleClass& moduleClass) noexcept {
    module = moduleClass.create();
    if (module == nullptr) {
        return false;
    }
    if (module->initialize(&context) != resultOk) {
        return false;
    }
    initialized = true;
    void* answer = nullptr;
    if (module->QueryInterface(ParameterOwnerInterfaceId.raw(), &answer) != resultOk ||
        answer == nullptr) {
        return false;
    }
    owner = static_cast<ParameterOwnerInterface*>(answer);
    return owner->findParameter(speedParameterName, &speed) == resultOk && speed != nullptr;
}

void ModuleChannel::processEvent(HostEvent& event) noexcept {
    if (!isActive) {
        isActive = true;
        module->processTime(event.position, 0, 0);
    }
    module->processEvent(&event);
}

void ModuleChannel::close() noexcept {
    speed = nullptr;
    if (owner != nullptr) {
        owner->Release();
        owner = nullptr;
    }
    if (module != nullptr) {
        if (initialized) {
            module->terminate();
        }
        module->Release();
        module = nullptr;
    }
}

} // namespace quorlin::lv2
