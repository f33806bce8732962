#pragma once

#include "testing/ReferenceSkin.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorlin::reliability {

// Feeds one text to every reader of decimal input the host can reach: fromText of the on/off,
// the integer and the portamento-speed parameter, and the skin's resource paths. Each answer
// is compared with DecimalReading, which is itself held to the C library's "%d" wherever the
// number fits in 32 bits.
class DecimalTextCheck {
public:
    explicit DecimalTextCheck(const ReferenceSkin& expectedSkin) : skin(expectedSkin) {}

    // Input: a flag byte, a starting value, the two range ends, then the text. Empty when all
    // readers agreed with the model; otherwise what differed.
    std::string run(const std::uint8_t* data, std::size_t size) const;

private:
    const ReferenceSkin& skin;
};

} // namespace quorlin::reliability
