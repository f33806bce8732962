#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

namespace quorlin {

// What the benchmark host keeps behind an event handle: the fields the plug-in reads and
// writes, nothing else, so every host operation is one load or store.
struct HostEvent : HostEventRecord {};

} // namespace quorlin
