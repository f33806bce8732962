#pragma once

#include "legato/PlayingRanges.h"
#include "parameters/IntParameter.h"

#include <cstdint>

namespace quorlin {

// The module's portamento time: -1 ("Off", no portamento time is sent) or 0..127.
class PortamentoSpeedParameter final : public IntParameter {
public:
    static constexpr std::int32_t off = playing::speedOff;
    static constexpr std::int32_t highest = playing::speedHighest;

    // Starts Off, with one reference owned by the caller.
    PortamentoSpeedParameter();

    void QUORLIN_CALL toText(char* text) noexcept override;
    // A leading number is clamped into range; any other text, "Off" among them, means Off.
    void QUORLIN_CALL fromText(const char* text) noexcept override;

private:
    ~PortamentoSpeedParameter() override = default;
};

} // namespace quorlin
