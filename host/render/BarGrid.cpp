#include "host/render/BarGrid.h"

#include "host/render/RollLayout.h"
#include "host/render/TimeLabel.h"

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
// In pixels.
constexpr double minLineSpacing = 6;
constexpr double minBeatSpacing = 10;
constexpr double minBarLabelSpacing = 48;

// The smallest power of two at least `minimum`: bars are labelled 1, 5, 9 ... rather than at
// arbitrary counts.
std::uint32_t stepOf(double minimum) {
    std::uint32_t step = 1;
    while (step < minimum && step < (1u << 30)) {
        step *= 2;
    }
    return step;
}

} // namespace

BarGrid::BarGrid(const TimeScale& scale, const TempoMap& tempoMap) : tempo(&tempoMap) {
    const std::vector<TempoMap::Meter>& meters = tempo->meters();
    double lastLabel = -minBarLabelSpacing;
    double plotEnd = leftMargin + scale.width();
    for (std::size_t m = 0; m < meters.size(); ++m) {
        const TempoMap::Meter& meter = meters[m];
        if (meter.tick >= scale.endTick() && m > 0) {
            break;
        }
        // The last stretch also draws the line that closes it.
        bool last = m + 1 == meters.size() || meters[m + 1].tick >= scale.endTick();
        std::uint32_t segmentEnd = last ? scale.endTick() : meters[m + 1].tick;
        double barWidth = scale.pixels(meter.barTicks);
        std::uint32_t lineStep = stepOf(minLineSpacing / barWidth);
        std::uint32_t labelStep = stepOf(minBarLabelSpacing / barWidth);
        bool beats = lineStep == 1 && scale.pixels(meter.beatTicks) >= minBeatSpacing;
        // Bars before the plot are skipped whole, keeping the steps of lines and labels.
        std::uint64_t skipped =
            scale.startTick() > meter.tick ? (scale.startTick() - meter.tick) / meter.barTicks : 0;
        skipped -= skipped % (std::uint64_t{lineStep} * labelStep);
        for (std::uint64_t bar = skipped;; bar += lineStep) {
            std::uint64_t tick = meter.tick + bar * meter.barTicks;
            if (tick > segmentEnd || (tick == segmentEnd && !last)) {
                break;
            }
            auto at = static_cast<std::uint32_t>(tick);
            double x = scale.x(at);
            if (x < leftMargin - 0.5) {
                continue;
            }
            barLines.push_back(x);
            if (bar % labelStep == 0 && x >= lastLabel + minBarLabelSpacing * 0.8 &&
                x <= plotEnd + 0.5) {
                lastLabel = x;
                labels.push_back({x, meter.firstBar + static_cast<std::uint32_t>(bar), at});
            }
            for (std::uint32_t beat = 1; beats && beat < meter.numerator; ++beat) {
                std::uint64_t beatTick = tick + std::uint64_t{beat} * meter.beatTicks;
                if (beatTick >= segmentEnd) {
                    break;
                }
                beatLines.push_back(scale.x(static_cast<std::uint32_t>(beatTick)));
            }
        }
    }
}

void BarGrid::define(SvgWriter& svg) const {
    auto lines = [&svg](const char* id, const char* kind, const std::vector<double>& xs) {
        svg.open("g", {{"id", id}, {"class", "grid"}});
        for (double x : xs) {
            svg.leaf("line", {{"class", kind},
                              {"x1", num(x)},
                              {"x2", num(x)},
                              {"y1", "0"},
                              {"y2", "1"},
                              {"vector-effect", "non-scaling-stroke"}});
        }
        svg.close();
    };
    lines("bars", "bar", barLines);
    lines("beats", "beat", beatLines);
    constexpr double rulerTop = RollLayout::headingHeight;
    svg.open("g", {{"id", "ruler"}});
    for (const Label& label : labels) {
        std::string time = TimeLabel::clock(tempo->seconds(label.tick));
        if (tempo->countsSeconds()) {
            svg.text("text",
                     {{"class", "bar-number"}, {"x", num(label.x + 3)}, {"y", num(rulerTop + 14)}},
                     time);
            continue;
        }
        svg.text("text",
                 {{"class", "bar-number"}, {"x", num(label.x + 3)}, {"y", num(rulerTop + 12)}},
                 std::to_string(label.bar));
        svg.text("text", {{"class", "time"}, {"x", num(label.x + 3)}, {"y", num(rulerTop + 23)}},
                 time);
    }
    svg.close();
}

} // namespace quorlin::host
