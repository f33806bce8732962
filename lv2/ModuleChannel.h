#pragma once

#include "component/HostServicesContext.h"
#include "component/ModuleInterfaces.h"
#include "lv2/ChannelServices.h"
#include "lv2/ModuleClass.h"

#include <cstdint>

namespace quorlin::lv2 {

// The module instance of one MIDI channel, with the context and event services it was
// initialized with. It takes part in the cycles from the first event of its channel on.
class ModuleChannel {
public:
    static constexpr const char* speedParameterName = "portamentoSpeed";

    ModuleChannel(std::uint8_t channel, EventPool& pool, Cycle& cycle) noexcept;
    ModuleChannel(const ModuleChannel&) = delete;
    ModuleChannel& operator=(const ModuleChannel&) = delete;
    // Terminates the instance and gives back every reference.
    ~ModuleChannel();

    // Creates and initializes the instance and finds its speed parameter; false when any of
    // that fails.
    bool open(const ModuleClass& moduleClass) noexcept;

    bool active() const noexcept { return isActive; }
    void setSpeed(std::int32_t value) noexcept { speed->setValue(value); }
    void start() noexcept { module->start(0); }
    void stop() noexcept { module->stop(0); }
    void processTime(std::int32_t position) noexcept { module->processTime(position, 0, 0); }
    // A channel event; the first one makes the channel active, after a position call that
    // sends what is due.
    void processEvent(HostEvent& event) noexcept;

private:
    void close() noexcept;

    ChannelServices services;
    HostServicesContext context;
    ModuleInterface* module = nullptr;
    ParameterOwnerInterface* owner = nullptr;
    ParameterInterface* speed = nullptr; // borrowed from the owner
    bool initialized = false;
    bool isActive = false;
};

} // namespace quorlin::lv2
