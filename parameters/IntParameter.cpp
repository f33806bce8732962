#include "IntParameter.h"

#include "DecimalText.h"

namespace quorlin {

IntParameter::IntParameter(std::int32_t low, std::int32_t high) : value{low}, min{low}, max{high} {}

void IntParameter::toText(char* text) noexcept {
    formatDecimal(value, text);
}

void IntParameter::fromText(const char* text) noexcept {
    if (auto number = parseDecimal(text)) {
        setValue(*number);
    }
}

std::int32_t IntParameter::getValue() noexcept {
    return value;
}

void IntParameter::setValue(std::int32_t requested) noexcept {
    std::int32_t clamped = requested < min ? min : (requested > max ? max : requested);
    if (clamped == value) {
        return;
    }
    value = clamped;
    reportChange();
}

std::int32_t IntParameter::getMin() noexcept {
    return min;
}

std::int32_t IntParameter::getMax() noexcept {
    return max;
}

} // namespace quorlin
