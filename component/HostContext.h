#pragma once

#include "UnknownInterface.h"

namespace quorlin {

// What the host hands to initialize; the module only asks it for HostMidiServices.
class HostContext : public UnknownInterface {
protected:
    ~HostContext() = default;
};

} // namespace quorlin
