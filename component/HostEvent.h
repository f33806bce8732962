#pragma once

namespace quorlin {

// An event handle of the host; the module only passes it back to HostMidiServices.
struct HostEvent;

} // namespace quorlin
