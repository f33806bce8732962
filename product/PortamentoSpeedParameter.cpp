#include "PortamentoSpeedParameter.h"

#include "parameters/DecimalText.h"

#include <cstring>

namespace quorlin {

PortamentoSpeedParameter::PortamentoSpeedParameter() : IntParameter(off, highest) {}

void PortamentoSpeedParameter::toText(char* text) noexcept {
    if (getValue() == off) {
        std::strcpy(text, "Off");
    } else {
        IntParameter::toText(text);
    }
}

void PortamentoSpeedParameter::fromText(const char* text) noexcept {
    auto number = parseDecimal(text);
    setValue(number ? *number : off);
}

} // namespace quorlin
