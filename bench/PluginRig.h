#pragma once

#include "MinimalHostServices.h"
#include "component/HostServicesContext.h"
#include "component/ModuleInterfaces.h"

#include <cstdint>

namespace quorlin::bench {

// One plug-in instance created, queried and initialized the way a host does it, on the
// minimal host. The instance is terminated and released with the rig.
class PluginRig {
public:
    PluginRig();
    PluginRig(const PluginRig&) = delete;
    PluginRig& operator=(const PluginRig&) = delete;
    ~PluginRig();

    // False when the instance could not be created or initialized.
    bool ready() const { return initialized; }

    ModuleInterface& module() { return *instance; }
    MinimalHostServices& host() { return services; }
    // The services as the plug-in sees them: calls through it are the same virtual calls.
    HostMidiServices& hostInterface() { return services; }

    // Sets portamentoSpeed through the module's parameter owner, as a host's value box does.
    bool setSpeed(std::int32_t value);

private:
    MinimalHostServices services;
    HostServicesContext context{services};
    ModuleInterface* instance = nullptr;
    bool initialized = false;
};

} // namespace quorlin::bench
