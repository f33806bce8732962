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

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        testing::pumpPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace quorlin::reliability
