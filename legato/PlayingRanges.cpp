#include "legato/PlayingRanges.h"

#include <charconv>
#include <cmath>

namespace quorlin::playing {

std::optional<std::int32_t> speedFromText(std::string_view text) noexcept {
    constexpr std::string_view off = "off";
    if (text.size() == off.size()) {
        bool same = true;
        for (std::size_t index = 0; index < off.size(); ++index) {
            char letter = text[index];
            same = same && (letter == off[index] || letter == off[index] - 'a' + 'A');
        }
        if (same) {
            return speedOff;
        }
    }
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        value < speedOff || value > speedHighest) {
        return std::nullopt;
    }
    return value;
}

std::int32_t speedFromControl(double value) noexcept {
    if (!(value >= speedOff)) {
        return speedOff; // below the range, or not a number
    }
    if (value > speedHighest) {
        return speedHighest;
    }
    return static_cast<std::int32_t>(std::lround(value));
}

std::int32_t intervalFromControl(double value) noexcept {
    if (!(value < intervalLimitNone)) {
        return intervalLimitNone; // at or above the top, or not a number
    }
    if (value < intervalLimitLowest) {
        return intervalLimitLowest;
    }
    return static_cast<std::int32_t>(std::lround(value));
}

std::int32_t windowPositions(double milliseconds, double positionsPerSecond) noexcept {
    if (!(milliseconds > 0.0)) {
        return 0; // no window, or not a number
    }
    if (!(positionsPerSecond > 0.0)) {
        // No rate to measure by: the window keeps keys struck at the same position apart.
        return 1;
    }
    double positions = std::round(milliseconds * positionsPerSecond / 1000.0);
    if (!(positions < longestWindow)) {
        return longestWindow; // an absurd rate, infinity among them
    }
    return positions < 1.0 ? 1 : static_cast<std::int32_t>(positions);
}

} // namespace quorlin::playing
