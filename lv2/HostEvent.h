#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

namespace quorlin {

// What the adapter keeps behind the event handle it gives the module: one channel message in the
// shared record, its channel beside a plain status, as the module compares statuses whole.
struct HostEvent : HostEventRecord {
    // Handed out when the pool is empty; whatever is sent of it is dropped and counted.
    bool discard = false;
};

} // namespace quorlin
