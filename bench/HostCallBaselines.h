#pragma once

#include "component/HostMidiServices.h"

#include <cstdint>

namespace quorlin::bench {

// The host calls the plug-in makes for each kind of work, made directly and in the same order,
// so that their cost, the host's own, can be taken off the plug-in's figures.

// Six reads and one forward.
ResultCode passThroughCalls(HostMidiServices& host, HostEvent* event);

// Six reads, a create, a second position read, a position set, two sends and a release.
ResultCode noteOnCalls(HostMidiServices& host, HostEvent* event, std::int32_t controllerValue);

// Six reads and one send.
ResultCode noteOffCalls(HostMidiServices& host, HostEvent* event);

// A create, a position set, a send and a release.
void speedControllerCalls(HostMidiServices& host, std::int32_t position, std::int32_t value);

} // namespace quorlin::bench
