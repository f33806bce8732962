#pragma once

#include <algorithm>
#include <cstdint>

namespace quorlin::host {

// Horizontal layout of the piano roll, in pixels.
inline constexpr double leftMargin = 64; // key names
inline constexpr double targetPlotWidth = 1000;
// Per quarter note, or per second for SMPTE files: a short phrase is stretched up to the
// largest, a song is never squeezed below the smallest and scrolls instead.
inline constexpr double minUnitWidth = 20;
inline constexpr double maxUnitWidth = 96;
// Beyond this, viewers stop drawing; only then is a long file squeezed further.
inline constexpr double maxPlotWidth = 60000;

// Where ticks land across the picture, shared by every roll: the stretch from `startTick` to
// `endTick` fills the plot; ticks outside it land left or right of it.
class TimeScale {
public:
    // `stretch` widens the unit: a second needs more room than a quarter note.
    TimeScale(double unitTicks, double stretch, std::uint32_t startTick, std::uint32_t endTick)
        : firstTick(startTick), lastTick(endTick) {
        double units = std::max((endTick - startTick) / unitTicks, 1.0);
        double unitWidth =
            std::clamp(targetPlotWidth / units, stretch * minUnitWidth, stretch * maxUnitWidth);
        pixelsPerTick = std::min(unitWidth * units, maxPlotWidth) / units / unitTicks;
        plotWidth = units * unitTicks * pixelsPerTick;
    }

    double x(std::uint32_t tick) const {
        return leftMargin + (static_cast<double>(tick) - firstTick) * pixelsPerTick;
    }
    double pixels(double ticks) const { return ticks * pixelsPerTick; }
    double width() const { return plotWidth; }
    std::uint32_t startTick() const { return firstTick; }
    std::uint32_t endTick() const { return lastTick; }

private:
    std::uint32_t firstTick = 0;
    std::uint32_t lastTick = 0;
    double pixelsPerTick = 1.0;
    double plotWidth = 0.0;
};

} // namespace quorlin::host
