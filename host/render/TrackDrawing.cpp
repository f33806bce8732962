#include "host/render/TrackDrawing.h"

#include "host/render/NoteLayer.h"
#include "host/render/RollLayout.h"

#include <algorithm>
#include <string>

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
constexpr double trackGap = 30;
// How far the bar lines reach above the key rows, into the ruler.
constexpr double barLineRise = 8;

// Lines drawn from 0 to 1 in the shared group, stretched here from `from` to `to`.
void place(SvgWriter& svg, const char* group, double from, double to) {
    svg.leaf("use", {{"href", group},
                     {"xlink:href", group},
                     {"transform", "translate(0," + num(from) + ") scale(1," +
                                       num(std::max(to - from, 1.0)) + ")"}});
}

} // namespace

TrackDrawing::TrackDrawing(RollTrack trackRoll, std::size_t trackNumber, const TempoMap& tempoMap,
                           std::uint16_t processedChannels, KeySpelling keySpelling,
                           std::optional<RollTrack::Span> shown)
    : roll(std::move(trackRoll)), number(trackNumber), time(tempoMap), spelling(keySpelling),
      title(roll, number, processedChannels, tempoMap), keys(KeyAxis::fitting(roll.notes, shown)),
      strips(processedChannels & roll.channels) {
    // Of the bars shown, only their notes are drawn: the others would lie outside the plot, and
    // a few bars of a long song would weigh what the whole song does.
    if (shown) {
        std::erase_if(roll.notes, [&](const RollTrack::Note& note) {
            return !note.soundsWithin(shown->start, shown->end);
        });
    }
}

double TrackDrawing::height() const {
    return RollLayout::headingHeight + RollLayout::rulerHeight + keys.height() + strips.height() +
           trackGap;
}

void TrackDrawing::draw(SvgWriter& svg, const TimeScale& scale, double top,
                        KeyAxis::Names names) const {
    double stripsTop = RollLayout::rollTop + keys.height();
    svg.open("g", {{"class", "roll"},
                   {"data-track", std::to_string(number)},
                   {"transform", "translate(0," + num(top) + ")"}});
    svg.text("text", {{"class", "heading"}, {"x", num(16)}, {"y", num(16)}}, title.text());
    keys.draw(svg, scale, roll.notes, spelling, names);
    // Only the chosen bars show: what lies before or after them is cut at the plot's edges.
    // The grid and the ruler are drawn once for the picture and placed in every roll.
    svg.open("g", {{"clip-path", "url(#plot)"}});
    place(svg, "#bars", RollLayout::rollTop - barLineRise, stripsTop + strips.height());
    place(svg, "#beats", RollLayout::rollTop, stripsTop);
    NoteLayer(keys, spelling, time).draw(svg, scale, roll.notes);
    svg.close();
    svg.leaf("use", {{"href", "#ruler"}, {"xlink:href", "#ruler"}});
    strips.draw(svg, scale, stripsTop, roll, time);
    svg.leaf("rect", {{"class", "frame"},
                      {"x", num(leftMargin)},
                      {"y", num(RollLayout::rollTop)},
                      {"width", num(scale.width())},
                      {"height", num(keys.height() + strips.height())}});
    svg.close();
}

} // namespace quorlin::host
