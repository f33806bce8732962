#include "IntParameter.h"

#include "component/DecimalText.h"

namespace quorlin {

IntParameter::IntParameter(std::int32_t low, std::int32_t high) : value{low}, min{low}, max{high} {}

void IntParameter::toText(char* text) {
    formatDecimal(value, text);
}

void IntParameter::fromText(const char* text) {
    if (auto number = parseDecimal(text)) {
        setValue(*number);
    }
}

std::int32_t IntParameter::getValue() {
    return value;
}

void IntParameter::setValue(std::int32_t requested) {
    std::int32_t clamped = requested < min ? min : (requested > max ? max : requested);
    if (clamped == value) {
        return;
    }
    value = clamped;
    reportChange();
}

std::int32_t IntParameter::getMin() {
    return min;
}

std::int32_t IntParameter::getMax() {
    return max;
}

} // namespace quorlin
