#pragma once

#include "host/midi/TempoMap.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeScale.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// The bar and beat lines of the plot and the ruler of bar numbers and times above the rolls,
// thinned so that lines stay apart and labels do not overlap. They are defined once per
// picture, the lines from 0 to 1 for each roll to stretch, so a picture grows with its bars
// plus its tracks, not with their product.
class BarGrid {
public:
    // `tempo` outlives the grid.
    BarGrid(const TimeScale& scale, const TempoMap& tempo);

    // The groups "bars", "beats" and "ruler", for the rolls to place.
    void define(SvgWriter& svg) const;

private:
    struct Label {
        double x;
        std::uint32_t bar;
        std::uint32_t tick;
    };

    const TempoMap* tempo;
    std::vector<double> barLines;
    std::vector<double> beatLines;
    std::vector<Label> labels;
};

} // namespace quorlin::host
