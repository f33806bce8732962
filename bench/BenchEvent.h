#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

namespace quorlin::bench {

// What the benchmark host keeps behind an event handle: the fields the plug-in reads and
// writes, nothing else, so every host operation is one load or store.
struct BenchmarkEvent : HostEventRecord {};

// The handle the plug-in is given for one of these events.
inline HostEvent* handleOf(BenchmarkEvent* event) {
    return reinterpret_cast<HostEvent*>(event);
}

} // namespace quorlin::bench
