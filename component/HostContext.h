#pragma once

#include "UnknownInterface.h"

namespace quorlin {

// What the host hands to initialize, implemented by the host. Only its first three operations
// are called: QueryInterface for HostMidiServicesId in initialize (result 0 is success), then
// AddRef, and the matching Release in terminate, all on the host's main thread.
class HostContext : public UnknownInterface {
protected:
    ~HostContext() = default;
};

} // namespace quorlin
