#include "host/render/PictureHeader.h"

#include <algorithm>
#include <string>

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
constexpr double legendWidth = 900;
constexpr double legendTop = 66;
constexpr double captionCharWidth = 6.6;

constexpr const char* styleSheet = R"css(<style>
text { font-family: "DejaVu Sans", Verdana, Arial, sans-serif; fill: #1d2430; }
.title { font-size: 18px; font-weight: bold; }
.caption { font-size: 12px; fill: #4a5463; }
.legend text { font-size: 11px; fill: #33404f; }
.heading { font-size: 13px; font-weight: bold; }
.bar-number { font-size: 11px; font-weight: bold; fill: #33404f; }
.time { font-size: 9px; fill: #6b7686; }
.key-name { font-size: 9px; fill: #4a5463; text-anchor: end; }
.key-name.repeat { text-anchor: start; fill: #9aa3b0; }
.white { fill: #fbfcfd; }
.black { fill: #e6e9ee; }
.octave { stroke: #c3c9d2; stroke-width: 1; }
.bar { stroke: #98a2b0; stroke-width: 1; vector-effect: non-scaling-stroke; }
.beat { stroke: #dfe3e8; stroke-width: 1; vector-effect: non-scaling-stroke; }
.note { stroke-width: 0.8; }
.struck { fill: #3f6fb5; stroke: #24497f; }
.glide { fill: #e07b2a; stroke: #9c4f12; }
.open { stroke-dasharray: 3 2; }
.glide-path { stroke: #b85a14; stroke-width: 1.6; fill: none; stroke-linecap: round; }
.strip-name { font-size: 10px; fill: #4a5463; text-anchor: end; }
.band-off { fill: #eef0f3; }
.band-on { fill: #f2a65a; }
.speed-mark path { fill: #6a3fb5; }
.speed-mark text { font-size: 10px; fill: #4b2a87; }
.frame { fill: none; stroke: #98a2b0; stroke-width: 1; }
</style>
)css";

void drawLegend(SvgWriter& svg, double y) {
    svg.open("g", {{"class", "legend"}, {"transform", "translate(16," + num(y) + ")"}});
    double x = 0;
    auto entry = [&](const char* label, double width) {
        svg.text("text", {{"x", num(x + 26)}, {"y", num(10)}}, label);
        x += 26 + width;
    };
    svg.leaf("rect", {{"class", "note struck"},
                      {"x", num(x)},
                      {"y", num(1)},
                      {"width", num(20)},
                      {"height", num(10)},
                      {"rx", num(2)}});
    entry("struck note (controller 65 = 0)", 200);
    svg.leaf("path",
             {{"class", "glide-path"}, {"d", "M" + num(x - 2) + " 11 L" + num(x + 8) + " 6"}});
    svg.leaf("rect", {{"class", "note glide"},
                      {"x", num(x + 6)},
                      {"y", num(1)},
                      {"width", num(14)},
                      {"height", num(10)},
                      {"rx", num(2)}});
    entry("note that glides in (controller 65 = 127)", 240);
    svg.leaf("rect", {{"class", "band-on"},
                      {"x", num(x)},
                      {"y", num(1)},
                      {"width", num(20)},
                      {"height", num(10)}});
    entry("CC 65: portamento on", 140);
    svg.leaf("path",
             {{"d", "M" + num(x + 5) + " 1 L" + num(x + 15) + " 1 L" + num(x + 10) + " 10 Z"},
              {"fill", "#6a3fb5"}});
    entry("CC 5: portamento time sent", 0);
    svg.close();
}

} // namespace

double PictureHeader::width() const {
    return std::max(legendWidth, 32 + captionCharWidth * static_cast<double>(caption.size()));
}

void PictureHeader::writeHead(SvgWriter& svg) const {
    svg.text("title", {}, title);
    svg.raw(styleSheet);
}

void PictureHeader::draw(SvgWriter& svg) const {
    svg.text("text", {{"class", "title"}, {"x", num(16)}, {"y", num(30)}}, title);
    svg.text("text", {{"class", "caption"}, {"x", num(16)}, {"y", num(52)}}, caption);
    drawLegend(svg, legendTop);
}

} // namespace quorlin::host
