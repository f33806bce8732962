#include "ParameterEntry.h"

#include <cstring>

namespace quorlin {

ParameterEntry::ParameterEntry(ParameterInterface* parameter, const char* text)
    : parameter(parameter), name{} {
    std::memcpy(name, text, strnlen(text, nameCapacity - 1));
}

ParameterEntry::~ParameterEntry() {
    parameter->Release();
}

} // namespace quorlin
