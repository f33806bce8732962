#include "ReferenceParameter.h"

#include "DecimalReading.h"
#include "ReferenceInstance.h"

#include <algorithm>

namespace quorlin::reliability {

void ReferenceParameter::setValue(std::int32_t requested) {
    std::int32_t next = std::clamp(requested, off, highest);
    if (next == current) {
        return;
    }
    current = next;
    if (silent) {
        return;
    }
    if (owner != nullptr) {
        owner->speedChanged(current);
    }
    owed = true;
}

void ReferenceParameter::fromText(const char* text) {
    DecimalReading reading = DecimalReading::of(text);
    setValue(reading.found ? reading.value : off);
}

void ReferenceParameter::setOption(std::int32_t kind, std::int32_t enabled) {
    if (kind == reportingOption) {
        silent = (enabled & 0xFF) == 0;
    }
}

void ReferenceParameter::addListener(int listener) {
    listening.push_back(listener);
}

bool ReferenceParameter::removeListener(int listener) {
    auto found = std::find(listening.begin(), listening.end(), listener);
    if (found == listening.end()) {
        return false;
    }
    listening.erase(found);
    return true;
}

bool ReferenceParameter::isListening(int listener) const {
    return std::find(listening.begin(), listening.end(), listener) != listening.end();
}

} // namespace quorlin::reliability
