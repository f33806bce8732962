#include "ParameterEntry.h"

#include <cstring>

namespace quorlin {

ParameterEntry::ParameterEntry(ParameterInterface* held, const char* text)
    : parameter(held), name{} {
    std::memcpy(name, text, strnlen(text, nameCapacity - 1));
}

ParameterEntry::~ParameterEntry() {
    parameter->Release();
}

} // namespace quorlin
