#pragma once

#include "BenchEvent.h"
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

    ResultCode passThrough(BenchmarkEvent* event) { return module.processEvent(handleOf(event)); }
    // The plug-in works out the controller value itself.
    ResultCode noteOn(BenchmarkEvent* event, std::int32_t) {
        return module.processEvent(handleOf(event));
    }
    ResultCode noteOff(BenchmarkEvent* event) { return module.processEvent(handleOf(event)); }
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

    ResultCode passThrough(BenchmarkEvent* event) {
        return passThroughCalls(host, handleOf(event));
    }
    ResultCode noteOn(BenchmarkEvent* event, std::int32_t controllerValue) {
        return noteOnCalls(host, handleOf(event), controllerValue);
    }
    ResultCode noteOff(BenchmarkEvent* event) { return noteOffCalls(host, handleOf(event)); }
    ResultCode speedDue(std::int32_t position, std::int32_t speed) {
        speedControllerCalls(host, position, speed);
        return resultOk;
    }

private:
    HostMidiServices& host;
};

} // namespace quorlin::bench
