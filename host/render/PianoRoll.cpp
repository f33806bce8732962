#include "host/render/PianoRoll.h"

#include "host/midi/TempoMap.h"
#include "host/render/BarGrid.h"
#include "host/render/GlideOrigins.h"
#include "host/render/KeySpelling.h"
#include "host/render/PictureHeader.h"
#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeScale.h"
#include "host/render/TrackDrawing.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <deque>
#include <utility>

namespace quorlin::host {

namespace {

constexpr std::string (*num)(double) = SvgWriter::number;
// Room right of the plot for the last bar's number and time.
constexpr double rightMargin = 56;
constexpr double headingCharWidth = 7.6;

} // namespace

std::uint32_t PianoRoll::barCount(const MidiFile& file) {
    std::uint32_t end = 0;
    for (const MidiTrack& track : file.tracks) {
        end = std::max(end, track.endTick);
        if (!track.events.empty()) {
            end = std::max(end, track.events.back().tick);
        }
    }
    return TempoMap(file, 0).position(end > 0 ? end - 1 : 0).bar;
}

std::string PianoRoll::channelList(std::uint16_t channels) {
    std::string list;
    for (int channel = 0; channel < 16; ++channel) {
        if ((channels >> channel) & 1) {
            list += (list.empty() ? "" : ", ") + std::to_string(channel + 1);
        }
    }
    if (list.empty()) {
        return "no channel";
    }
    return list.find(',') == std::string::npos ? "channel " + list : "channels " + list;
}

PianoRoll::PianoRoll(std::string pictureTitle, std::string pictureCaption,
                     std::optional<BarRange> barRange)
    : title(std::move(pictureTitle)), caption(std::move(pictureCaption)), bars(barRange) {}

std::string PianoRoll::svg(const MidiFile& file,
                           const std::vector<std::uint16_t>& processed) const {
    // One map serves every track of a format 0 or 1 file; a format 2 track has its own.
    std::deque<TempoMap> maps;
    maps.emplace_back(file, 0);
    KeySpelling spelling(file);
    GlideOrigins glides(file);
    // The tracks that hold notes, by index.
    std::vector<std::pair<std::size_t, RollTrack>> rolls;
    std::uint32_t endTick = 0;
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        RollTrack roll = RollTrack::read(file.tracks[i], glides.ofTrack(i));
        if (!roll.notes.empty()) {
            endTick = std::max(endTick, roll.endTick);
            rolls.emplace_back(i, std::move(roll));
        }
    }
    const TempoMap& first = maps.front();
    std::uint32_t startTick = 0;
    if (bars) {
        startTick = std::min(first.tickOfBar(bars->first), endTick);
        // The bar after the last one shown ends the plot; past the last bar number, the song's
        // end does.
        std::uint32_t end = bars->last < UINT32_MAX ? first.tickOfBar(bars->last + 1) : endTick;
        endTick = std::max(std::min(end, endTick), startTick + 1);
    }
    TimeScale scale(first.ticksPerUnit(), first.countsSeconds() ? 2.0 : 1.0, startTick, endTick);
    std::optional<RollTrack::Span> shown;
    if (bars) {
        shown = RollTrack::Span{startTick, endTick};
    }
    std::vector<TrackDrawing> drawings;
    for (auto& [i, roll] : rolls) {
        if (file.format == 2 && i > 0) {
            maps.emplace_back(file, i);
        }
        std::uint16_t through = i < processed.size() ? processed[i] : roll.channels;
        drawings.emplace_back(std::move(roll), i + 1, maps.back(), through, spelling, shown);
    }

    PictureHeader header(title, caption);
    double headerWidth = header.width();
    for (const TrackDrawing& drawing : drawings) {
        // Headings are of a few lengths; measuring each stays linear.
        headerWidth = std::max(headerWidth, 32 + headingCharWidth * drawing.heading().width());
    }
    double width = std::max(leftMargin + scale.width() + rightMargin, headerWidth);
    double height = PictureHeader::height;
    for (const TrackDrawing& drawing : drawings) {
        height += drawing.height();
    }
    if (drawings.empty()) {
        height += 30;
    }

    SvgWriter svg;
    svg.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    svg.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                     {"xmlns:xlink", "http://www.w3.org/1999/xlink"},
                     {"width", num(width)},
                     {"height", num(height)},
                     {"viewBox", "0 0 " + num(width) + " " + num(height)}});
    header.writeHead(svg);
    svg.open("defs", {});
    svg.open("clipPath", {{"id", "plot"}});
    svg.leaf("rect", {{"x", num(leftMargin)},
                      {"y", "0"},
                      {"width", num(scale.width())},
                      {"height", num(height)}});
    svg.close();
    BarGrid(scale, first).define(svg);
    svg.close();
    svg.leaf("rect", {{"x", "0"},
                      {"y", "0"},
                      {"width", num(width)},
                      {"height", num(height)},
                      {"fill", "#ffffff"}});
    header.draw(svg);

    // One rule names the keys of every roll: every row only when every roll's rows have room
    // for a name each, else the Cs alone in all of them, so that rolls side by side read alike.
    bool everyKey = std::all_of(drawings.begin(), drawings.end(), [](const TrackDrawing& drawing) {
        return drawing.keyAxis().hasRoomForEveryName();
    });
    KeyAxis::Names names = everyKey ? KeyAxis::Names::everyKey : KeyAxis::Names::octaves;
    double top = PictureHeader::height;
    for (const TrackDrawing& drawing : drawings) {
        drawing.draw(svg, scale, top, names);
        top += drawing.height();
    }
    if (drawings.empty()) {
        svg.text("text", {{"class", "caption"}, {"x", num(16)}, {"y", num(top + 16)}},
                 "No track of this file holds notes.");
    }
    return svg.finish();
}

} // namespace quorlin::host
