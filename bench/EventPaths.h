#pragma once

#include "HostCallBaselines.h"
#include "PluginRig.h"

#include <cstdint>

namespace quorlin::bench {

// The two ways a case runs its events: through the plug-in, or as the host calls the plug-in
// would make for them and nothing else. A case is written once for both, so the baseline does
// the same work around the calls as the measurement.

class ThroughPlugin {
public:
    explicit ThroughPlugin(PluginRig& rig) : module(rig.module()) {}

    ResultCode passThrough(HostEvent* event) { return module.processEvent(event); }
    // The plug-in works out the controller value itself.
    ResultCode noteOn(HostEvent* event, std::int32_t) { return module.processEvent(event); }
    ResultCode noteOff(HostEvent* event) { return module.processEvent(event); }
    // A start makes the set speed due again; the position call sends it.
    ResultCode speedDue(std::int32_t position, std::int32_t) {
        module.start(0);
        return module.processTime(position, 0, 0);
    }

private:
    ModuleInterface& module;
};

class HostCallsOnly {
public:
    explicit HostCallsOnly(PluginRig& rig) : host(rig.hostInterface()) {}

    ResultCode passThrough(HostEvent* event) { return passThroughCalls(host, event); }
    ResultCode noteOn(HostEvent* event, std::int32_t controllerValue) {
        return noteOnCalls(host, event, controllerValue);
    }
    ResultCode noteOff(HostEvent* event) { return noteOffCalls(host, event); }
    ResultCode speedDue(std::int32_t position, std::int32_t speed) {
        speedControllerCalls(host, position, speed);
        return resultOk;
    }

private:
    HostMidiServices& host;
};

} // namespace quorlin::bench
