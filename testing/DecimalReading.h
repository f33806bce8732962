#pragma once

#include <cstdint>

namespace quorlin::reliability {

// What a host expects from reading "%d" at the start of a text: found or not, and the number,
// held at the nearest 32-bit limit when the digits go beyond it.
struct DecimalReading {
    bool found = false;
    std::int32_t value = 0;

    // Leading white space, an optional sign, then the decimal digits up to the first other
    // character; the text ends at its terminating zero.
    static DecimalReading of(const char* text);
};

} // namespace quorlin::reliability
