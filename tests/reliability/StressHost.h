#pragma once

#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"
#include "testing/RecordingHostContext.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/RecordingListener.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace quorlin::reliability {

inline constexpr std::uint8_t productClassId[16] = {0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F,
                                                    0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F, 0x3B};

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

// Pumps this thread's messages until `done` holds or `limit` has passed; true when it held.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace quorlin::reliability
