#pragma once

#include "lv2/OutputSequence.h"

#include <cstdint>

namespace quorlin::lv2 {

// The run cycle as the module's event services see it: where it starts on the running frame
// count, how long it is, the frame being handled now, and where sent events go.
class Cycle {
public:
    explicit Cycle(OutputSequence& output) : output(output) {}

    void begin(std::uint32_t startPosition, std::uint32_t frameCount) noexcept {
        start = startPosition;
        frames = frameCount;
        current = 0;
    }
    void moveTo(std::uint32_t frame) noexcept { current = frame; }

    // The running count at a frame of the cycle, wrapping as 32-bit counts do.
    std::int32_t positionOf(std::uint32_t frame) const noexcept {
        return static_cast<std::int32_t>(start + frame);
    }
    // A position as a frame of this cycle; one outside it is taken as the frame handled now.
    std::uint32_t frameOf(std::int32_t position) const noexcept {
        std::uint32_t offset = static_cast<std::uint32_t>(position) - start;
        return offset < frames ? offset : current;
    }
    std::uint32_t currentFrame() const noexcept { return current; }
    OutputSequence& sink() noexcept { return output; }

private:
    OutputSequence& output;
    std::uint32_t start = 0;
    std::uint32_t frames = 0;
    std::uint32_t current = 0;
};

} // namespace quorlin::lv2
