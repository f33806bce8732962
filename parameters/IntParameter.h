#pragma once

#include "Parameter.h"

#include <cstdint>

namespace quorlin {

// A signed 32-bit value kept within [low, high] and shown in decimal.
class IntParameter : public Parameter {
public:
    // Starts at `low`.
    IntParameter(std::int32_t low, std::int32_t high);

    void QUORLIN_CALL toText(char* text) noexcept override;
    // Reads a leading decimal number; text without one leaves the value as it is.
    void QUORLIN_CALL fromText(const char* text) noexcept override;
    std::int32_t QUORLIN_CALL getValue() noexcept override;
    // Clamps to the range; reports only a real change.
    void QUORLIN_CALL setValue(std::int32_t requested) noexcept override;
    std::int32_t QUORLIN_CALL getMin() noexcept override;
    std::int32_t QUORLIN_CALL getMax() noexcept override;

protected:
    ~IntParameter() override = default;

private:
    std::int32_t value;
    std::int32_t min;
    std::int32_t max;
};

} // namespace quorlin
