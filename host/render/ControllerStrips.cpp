#include "host/render/ControllerStrips.h"

#include <algorithm>
#include <bit>
#include <string>

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
constexpr double speedLabelGap = 6;
constexpr double speedCharWidth = 6.2;

// Opens the group of a strip under the notes and writes its name left of the plot.
void openStrip(SvgWriter& svg, const char* kind, double nameY, const char* name) {
    svg.open("g", {{"class", kind}});
    svg.text("text", {{"class", "strip-name"}, {"x", num(leftMargin - 6)}, {"y", num(nameY)}},
             name);
}

} // namespace

ControllerStrips::ControllerStrips(std::uint16_t laned) {
    // Several channels through the plug-in: each shows its own controller 65 lane.
    if (std::popcount(laned) > 1) {
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            if ((laned >> channel) & 1) {
                lanes.push_back(channel);
            }
        }
    }
}

double ControllerStrips::bandsHeight() const {
    return bandHeight * static_cast<double>(std::max<std::size_t>(lanes.size(), 1));
}

void ControllerStrips::draw(SvgWriter& svg, const TimeScale& scale, double top,
                            const RollTrack& roll, const TimeLabel& time) const {
    drawSpeeds(svg, scale, top, roll.speeds, time);
    double bandTop = top + speedHeight;
    if (lanes.empty()) {
        drawLane(svg, scale, bandTop, "CC 65", roll.portamentoOn, time);
        return;
    }
    for (std::size_t i = 0; i < lanes.size(); ++i) {
        std::string name = "CC 65 ch " + std::to_string(lanes[i] + 1);
        drawLane(svg, scale, bandTop + bandHeight * static_cast<double>(i), name.c_str(),
                 roll.channelPortamentoOn[lanes[i]], time);
    }
}

void ControllerStrips::drawSpeeds(SvgWriter& svg, const TimeScale& scale, double top,
                                  const std::vector<RollTrack::Speed>& speeds,
                                  const TimeLabel& time) {
    openStrip(svg, "speed", top + 14, "CC 5");
    double labelEnd = 0;
    double middle = top + speedHeight / 2;
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        if (speeds[i].tick < scale.startTick() || speeds[i].tick > scale.endTick()) {
            continue;
        }
        double x = scale.x(speeds[i].tick);
        std::string value = std::to_string(speeds[i].value);
        svg.open("g", {{"class", "speed-mark"},
                       {"data-tick", std::to_string(speeds[i].tick)},
                       {"data-value", value}});
        svg.text("title", {}, "portamento time " + value + ", " + time.where(speeds[i].tick));
        svg.leaf("path",
                 {{"d", "M" + num(x - 5) + " " + num(middle - 5) + " L" + num(x + 5) + " " +
                            num(middle - 5) + " L" + num(x) + " " + num(middle + 4) + " Z"}});
        // Every mark shows; its value only where the label runs into neither the previous
        // label nor the next mark. The title still tells the value of the others.
        double end = x + 7 + speedCharWidth * static_cast<double>(value.size());
        bool nextClear = i + 1 == speeds.size() || scale.x(speeds[i + 1].tick) - 5 >= end;
        if (x - 5 >= labelEnd && nextClear) {
            svg.text("text", {{"x", num(x + 7)}, {"y", num(middle + 4)}}, value);
            labelEnd = end + speedLabelGap;
        }
        svg.close();
    }
    svg.close();
}

void ControllerStrips::drawLane(SvgWriter& svg, const TimeScale& scale, double top,
                                const char* name, const std::vector<RollTrack::Span>& spans,
                                const TimeLabel& time) {
    openStrip(svg, "portamento", top + 11, name);
    svg.leaf("rect", {{"class", "band-off"},
                      {"x", num(leftMargin)},
                      {"y", num(top)},
                      {"width", num(scale.width())},
                      {"height", num(bandHeight)}});
    for (const RollTrack::Span& span : spans) {
        // Within the plot: a stretch is cut at the edges of the bars shown.
        std::uint32_t from = std::max(span.start, scale.startTick());
        std::uint32_t to = std::min(span.end, scale.endTick());
        if (to < from || (to == from && span.end > span.start)) {
            continue;
        }
        svg.open("rect", {{"class", "band-on"},
                          {"x", num(scale.x(from))},
                          {"y", num(top + 1)},
                          {"width", num(std::max(scale.pixels(to - from), 1.0))},
                          {"height", num(bandHeight - 2)},
                          {"data-start", std::to_string(span.start)},
                          {"data-end", std::to_string(span.end)}});
        svg.text("title", {},
                 "portamento on from " + time.where(span.start) + " to " + time.where(span.end));
        svg.close();
    }
    svg.close();
}

} // namespace quorlin::host
