#pragma once

#include <cstdint>
#include <optional>

namespace quorlin {

// Reads a decimal number at the start of `text` in the manner of "%d": leading white space is
// skipped, an optional sign is accepted, digits are taken up to the first other character.
// Numbers beyond the signed 32-bit range saturate. Empty when the text holds no number.
std::optional<std::int32_t> parseDecimal(const char* text);

// Writes `value` in the "%d" form with its terminating zero; at most 12 bytes.
void formatDecimal(std::int32_t value, char* text);

} // namespace quorlin
