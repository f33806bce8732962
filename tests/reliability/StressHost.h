#pragma once

#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"
#include "product/ProductIdentity.h"
#include "testing/RecordingHostContext.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/RecordingListener.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace quorlin::reliability {

inline const std::uint8_t* const productClassId = product::classIdBytes.data();

// One module instance with the host objects it is connected to, driven as a sequencer does.
class StressHost {
public:
    StressHost() = default;
    StressHost(const StressHost&) = delete;
    StressHost& operator=(const StressHost&) = delete;

    // Creates the instance through `factory`; false when the factory refused.
    bool create(FactoryInterface* factory);
    ResultCode initialize() { return module->initialize(&context); }
    ResultCode terminate() { return module->terminate(); }
    // The instance's portamentoSpeed, borrowed; null before the first initialize.
    ParameterInterface* speed();
    ResultCode listen();
    // The creator's reference; returns what Release answered.
    std::uint32_t release();

    testing::RecordingHostMidiServices services;
    testing::RecordingHostContext context{services};
    testing::RecordingListener listener;
    ModuleInterface* module = nullptr;
};

} // namespace quorlin::reliability
