#pragma once

#include "component/FactoryInterface.h"
#include "component/UnknownInterface.h"

namespace quorlin {

// What the library tells the host about its vendor and its one class.
extern const FactoryInfo productFactoryInfo;
extern const ClassInfo productClassInfo;

// The create function of the module class: `userData` is the class record, whose first 16
// bytes are the class identifier the instance reports. Null when memory runs out.
UnknownInterface* createProductInstance(void* userData);

} // namespace quorlin
