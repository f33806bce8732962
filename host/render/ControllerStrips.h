#pragma once

#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeLabel.h"
#include "host/render/TimeScale.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// The strips under a roll's notes: a mark per controller 5 (portamento time) with its value
// where there is room, and a band where controller 65 had portamento on, one lane per channel
// when several of the track's channels went through the plug-in.
class ControllerStrips {
public:
    static constexpr double speedHeight = 22;
    static constexpr double bandHeight = 14;

    // `laned`: the track's channels that went through the plug-in (bit n: channel n + 1).
    explicit ControllerStrips(std::uint16_t laned);

    double bandsHeight() const;
    double height() const { return speedHeight + bandsHeight(); }

    // `top`: where the strips start in the roll's group.
    void draw(SvgWriter& svg, const TimeScale& scale, double top, const RollTrack& roll,
              const TimeLabel& time) const;

private:
    static void drawSpeeds(SvgWriter& svg, const TimeScale& scale, double top,
                           const std::vector<RollTrack::Speed>& speeds, const TimeLabel& time);
    static void drawLane(SvgWriter& svg, const TimeScale& scale, double top, const char* name,
                         const std::vector<RollTrack::Span>& spans, const TimeLabel& time);

    // The channels with a controller 65 lane of their own; empty: one lane for the track.
    std::vector<std::uint8_t> lanes;
};

} // namespace quorlin::host
