#include "ScriptedModule.h"

#include "host/plugin/InterfacePointer.h"

namespace quorlin::host::testing {

ResultCode ScriptedModule::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    if (sameInterfaceId(iid, UnknownInterfaceId) || sameInterfaceId(iid, ModuleInterfaceId)) {
        AddRef();
        *out = static_cast<ModuleInterface*>(this);
        return resultOk;
    }
    *out = nullptr;
    return resultNoInterface;
}

std::uint32_t ScriptedModule::Release() noexcept {
    if (--references == 0) {
        delete this;
        return 0;
    }
    return references;
}

ResultCode ScriptedModule::initialize(HostContext* given) noexcept {
    record.calls.push_back("initialize");
    void* answer = nullptr;
    if (given->QueryInterface(HostMidiServicesId.raw(), &answer) != resultOk) {
        return resultInvalidArgument;
    }
    services = static_cast<HostMidiServices*>(answer);
    context = given;
    context->AddRef();
    return resultOk;
}

ResultCode ScriptedModule::terminate() noexcept {
    record.calls.push_back("terminate");
    services->Release();
    context->Release();
    services = nullptr;
    context = nullptr;
    return resultOk;
}

void ScriptedModule::send(std::int32_t controller, std::int32_t value, std::int32_t position) {
    HostEvent* made = services->createEvent(176, controller, value, -1);
    services->setPosition(made, position);
    services->outputEvent(made);
    services->releaseEvent(made);
}

ResultCode ScriptedModule::processEvent(HostEvent* event) noexcept {
    std::int32_t status = services->getStatus(event);
    std::int32_t data2 = services->getData2(event);
    std::int32_t position = services->getPosition(event);
    record.calls.push_back("event " + std::to_string(status) + " " +
                           std::to_string(services->getData1(event)) + " " + std::to_string(data2) +
                           " at " + std::to_string(position) + " length " +
                           std::to_string(services->getLength(event)));
    if (status == 144 && data2 != 0) {
        send(65, 1, position);
        return services->outputEvent(event);
    }
    return services->forwardEvent(event);
}

ResultCode ScriptedModule::processTime(std::int32_t position, std::int32_t, std::int32_t) noexcept {
    record.calls.push_back("time " + std::to_string(position));
    if (!timeSeen) {
        timeSeen = true;
        send(5, 40, position);
        if (laterPosition >= 0) {
            send(7, 99, laterPosition);
        }
    }
    return resultOk;
}

ResultCode ScriptedModule::stop(std::int32_t) noexcept {
    record.calls.push_back("stop");
    return resultOk;
}

ResultCode ScriptedModule::start(std::int32_t) noexcept {
    record.calls.push_back("start");
    return resultOk;
}

} // namespace quorlin::host::testing
