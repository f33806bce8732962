#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

namespace quorlin::host {

// What quorlin-host keeps behind the opaque HostEvent handle a plug-in is given: the shared
// record, and whether the plug-in created it and has released it. EventServices converts
// between the two.
struct HostMidiEvent : HostEventRecord {
    bool createdByPlugin = false;
    bool released = false;
};

} // namespace quorlin::host
