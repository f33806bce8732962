#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

namespace quorlin {

// What the host keeps behind the opaque event handle a plug-in is given: the shared record, and
// whether the plug-in created it and has released it.
struct HostEvent : HostEventRecord {
    bool createdByPlugin = false;
    bool released = false;
};

} // namespace quorlin
