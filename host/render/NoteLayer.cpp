#include "host/render/NoteLayer.h"

#include "legato/MidiProtocol.h"

#include <algorithm>

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
// How far into a note its glide line reaches, in pixels.
constexpr double glideReach = 14;

} // namespace

void NoteLayer::draw(SvgWriter& svg, const TimeScale& scale,
                     const std::vector<RollTrack::Note>& notes) const {
    double rowHeight = keys->keyHeight();
    svg.open("g", {{"class", "notes"}});
    for (const RollTrack::Note& note : notes) {
        double x = scale.x(note.start);
        double width = std::max(scale.pixels(note.end - note.start), 2.0);
        if (note.glideFrom) {
            // From the key the synthesizer leaves towards the struck one.
            double reach = std::min(width, glideReach);
            svg.leaf("path",
                     {{"class", "glide-path"},
                      {"d", "M" + num(x - 2) + " " + num(keys->levelOf(*note.glideFrom)) + " L" +
                                num(x + reach) + " " + num(keys->rowCentre(note.key))}});
        }
        std::string kind = note.glideFrom ? "note glide" : "note struck";
        std::string label =
            spelling->name(note.key) + ", " + time->where(note.start) +
            (note.glideFrom ? ", glides from " + spelling->name(*note.glideFrom) : "");
        svg.open("rect",
                 {{"class", note.ended ? kind : kind + " open"},
                  {"x", num(x)},
                  {"y", num(keys->rowTop(note.key) + 1)},
                  {"width", num(width)},
                  {"height", num(rowHeight - 2)},
                  {"rx", num(std::min(2.0, rowHeight / 4))},
                  {"fill-opacity", num(0.45 + 0.55 * note.velocity / double(midi::dataMax))},
                  {"data-key", std::to_string(note.key)},
                  {"data-start", std::to_string(note.start)},
                  {"data-end", std::to_string(note.end)}});
        svg.text("title", {}, label);
        svg.close();
    }
    svg.close();
}

} // namespace quorlin::host
