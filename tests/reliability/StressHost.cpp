#include "StressHost.h"

#include "testing/MessagePump.h"

#include <thread>

namespace quorlin::reliability {

bool StressHost::create(FactoryInterface* factory) {
    void* out = nullptr;
    ResultCode result = factory->createInstance(
        reinterpret_cast<const InterfaceIdBytes*>(productClassId), ModuleInterfaceId.raw(), &out);
    module = static_cast<ModuleInterface*>(out);
    return result == resultOk && module != nullptr;
}

ParameterInterface* StressHost::speed() {
    void* owner = nullptr;
    if (module->QueryInterface(ParameterOwnerInterfaceId.raw(), &owner) != resultOk) {
        return nullptr;
    }
    ParameterInterface* parameter = nullptr;
    static_cast<ParameterOwnerInterface*>(owner)->findParameter("portamentoSpeed", &parameter);
    static_cast<ParameterOwnerInterface*>(owner)->Release();
    return parameter;
}

ResultCode StressHost::listen() {
    void* notifier = nullptr;
    ParameterInterface* parameter = speed();
    if (parameter == nullptr ||
        parameter->QueryInterface(ParameterNotifierInterfaceId.raw(), &notifier) != resultOk) {
        return resultNoInterface;
    }
    auto* registration = static_cast<ParameterNotifierInterface*>(notifier);
    ResultCode result = registration->addListener(&listener);
    registration->Release();
    return result;
}

std::uint32_t StressHost::release() {
    std::uint32_t left = module->Release();
    module = nullptr;
    return left;
}

} // namespace quorlin::reliability
