#pragma once

#include "NodeList.h"

namespace quorlin {

// Every live parameter of the process, in order of construction; the change timer walks it.
// Destroyed with the library's static objects, and with it every parameter still linked,
// whatever its reference count.
NodeList& parameterRegistry();

} // namespace quorlin
