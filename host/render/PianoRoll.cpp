#include "host/render/PianoRoll.h"

#include "host/midi/TempoMap.h"
#include "host/plugin/EventLog.h"
#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeScale.h"

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>

namespace quorlin::host {

namespace {

// Horizontal layout, in pixels.
// Room right of the plot for the last bar's number and time.
constexpr double rightMargin = 56;
constexpr double minLineSpacing = 6;
constexpr double minBeatSpacing = 10;
constexpr double minBarLabelSpacing = 48;
constexpr double keyNameRepeat = 1400;
constexpr double speedLabelGap = 6;
constexpr double speedCharWidth = 6.2;
constexpr double legendWidth = 900;
constexpr double captionCharWidth = 6.6;
constexpr double headingCharWidth = 7.6;
// A track name longer than this is cut, so that a heading stays on the picture.
constexpr std::size_t maxNameLength = 60;

// Vertical layout, in pixels.
constexpr double headerHeight = 96;
constexpr double headingHeight = 24;
constexpr double rulerHeight = 30;
constexpr double speedHeight = 22;
constexpr double bandHeight = 14;
constexpr double trackGap = 30;
constexpr int minKeyRows = 13;

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

// The key signature meta event: sharps (positive) or flats (negative), then major or minor.
constexpr std::uint8_t keySignatureType = 0x59;

// A key's name as the key signature spells it: flats in flat keys, sharps otherwise.
std::string keyName(std::uint8_t key, bool flats) {
    static constexpr const char* flatNames[] = {"C",  "Db", "D",  "Eb", "E",  "F",
                                                "Gb", "G",  "Ab", "A",  "Bb", "B"};
    if (!flats) {
        return EventLog::noteName(key);
    }
    return std::string(flatNames[key % 12]) + std::to_string(key / 12 - 1);
}

// Whether the first key signature of the file has flats.
bool flatKeyOf(const MidiFile& file) {
    const MidiEvent* first = nullptr;
    for (const MidiTrack& track : file.tracks) {
        for (const MidiEvent& event : track.events) {
            if (event.isMeta() && event.metaType() == keySignatureType &&
                event.payload.size() == 2 && (first == nullptr || event.tick < first->tick)) {
                first = &event;
                break;
            }
        }
    }
    return first != nullptr && static_cast<std::int8_t>(first->payload[0]) < 0;
}

// "1-4, 6" for bits n set for channel n + 1.
std::string channelRanges(std::uint16_t channels) {
    std::string text;
    for (int channel = 0; channel < 16;) {
        if (((channels >> channel) & 1) == 0) {
            ++channel;
            continue;
        }
        int last = channel;
        while (last + 1 < 16 && ((channels >> (last + 1)) & 1) != 0) {
            ++last;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(channel + 1) +
                (last > channel ? "-" + std::to_string(last + 1) : "");
        channel = last + 1;
    }
    return text;
}

bool isBlackKey(int key) {
    int pitch = key % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

// The smallest power of two at least `minimum`: bars are labelled 1, 5, 9 ... rather than at
// arbitrary counts.
std::uint32_t stepOf(double minimum) {
    std::uint32_t step = 1;
    while (step < minimum && step < (1u << 30)) {
        step *= 2;
    }
    return step;
}

std::string clockTime(double exact) {
    char text[32];
    // Rounded first, so that 59.96 s reads 1:00.0 and not 0:60.0.
    double seconds = std::round(exact * 10.0) / 10.0;
    auto whole = static_cast<long>(seconds);
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%04.1f", whole / 60,
                      seconds - static_cast<double>(whole - whole % 60));
    }
    return text;
}

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

namespace {

using Number = std::string (*)(double);
constexpr Number num = SvgWriter::number;

// One track's roll and strips, laid out before anything is drawn so the picture's height is
// known up front.
class TrackDrawing {
public:
    // `tempoMap` is shared among the tracks it governs and outlives the drawing.
    TrackDrawing(RollTrack trackRoll, std::size_t trackNumber, const TempoMap& tempoMap,
                 std::uint16_t processedChannels, bool flatKey)
        : roll(std::move(trackRoll)), number(trackNumber), tempo(tempoMap),
          processed(processedChannels), flats(flatKey) {
        // Several channels through the plug-in: each shows its own controller 65 lane.
        std::uint16_t laned = processed & roll.channels;
        if (std::popcount(laned) > 1) {
            for (std::uint8_t channel = 0; channel < 16; ++channel) {
                if ((laned >> channel) & 1) {
                    lanes.push_back(channel);
                }
            }
        }
        int lowest = midi::dataMax;
        int highest = 0;
        for (const RollTrack::Note& note : roll.notes) {
            lowest = std::min<int>(lowest, note.key);
            highest = std::max<int>(highest, note.key);
        }
        // A key of air above and below, and never less than an octave.
        low = std::max(lowest - 1, 0);
        high = std::min(highest + 1, midi::dataMax);
        while (high - low + 1 < minKeyRows) {
            if (low > 0 && (high == midi::dataMax || (high - low) % 2 == 1)) {
                --low;
            } else {
                ++high;
            }
        }
        int rows = high - low + 1;
        rowHeight = rows <= 24 ? 12 : rows <= 48 ? 8 : 5;
    }

    double height() const {
        return headingHeight + rulerHeight + rollHeight() + speedHeight + bandsHeight() + trackGap;
    }

    // The heading's length in characters, each multi-byte character counted once.
    double headingWidth() const {
        std::string text = heading();
        return static_cast<double>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    }

    // The heading above the roll, e.g. "Track 2 · Lead · channels 1-3, 1 through the plug-in".
    std::string heading() const {
        std::string text = "Track " + std::to_string(number);
        if (!roll.name.empty()) {
            std::string name = roll.name;
            if (name.size() > maxNameLength) {
                // Cut at a character's start, not inside one.
                std::size_t cut = maxNameLength;
                while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
                    --cut;
                }
                name = name.substr(0, cut) + "\u2026";
            }
            text += " \u00b7 " + name;
        }
        std::string played = channelRanges(roll.channels);
        std::string through = (processed & roll.channels) == roll.channels ? "all"
                              : (processed & roll.channels) == 0
                                  ? "none"
                                  : channelRanges(processed & roll.channels);
        bool one = std::popcount(roll.channels) == 1;
        text +=
            std::string(" \u00b7 ") + (one ? "channel " : "channels ") + played + ", " +
            (one && through == "all" ? "through the plug-in" : through + " through the plug-in") +
            " \u00b7 " + std::to_string(roll.notes.size()) + " notes, " +
            std::to_string(roll.glidingNotes()) + " glide in \u00b7 " + tempo.describeStart();
        if (std::size_t changes = tempo.tempoChanges(); changes > 0) {
            text += ", " + std::to_string(changes) +
                    (changes == 1 ? " tempo change" : " tempo changes");
        }
        return text;
    }

    void draw(SvgWriter& svg, const TimeScale& scale, double top) const {
        svg.open("g", {{"class", "roll"},
                       {"data-track", std::to_string(number)},
                       {"transform", "translate(0," + num(top) + ")"}});
        drawHeading(svg);
        drawKeys(svg, scale);
        // Only the chosen bars show: what lies before or after them is cut at the plot's edges.
        // The grid and the ruler are drawn once for the picture and placed in every roll.
        svg.open("g", {{"clip-path", "url(#plot)"}});
        place(svg, "#bars", rollTop() - 8, bandTop() + bandsHeight());
        place(svg, "#beats", rollTop(), speedTop());
        drawNotes(svg, scale);
        svg.close();
        svg.leaf("use", {{"href", "#ruler"}, {"xlink:href", "#ruler"}});
        drawSpeeds(svg, scale);
        drawBand(svg, scale);
        svg.leaf("rect", {{"class", "frame"},
                          {"x", num(leftMargin)},
                          {"y", num(rollTop())},
                          {"width", num(scale.width())},
                          {"height", num(rollHeight() + speedHeight + bandsHeight())}});
        svg.close();
    }

private:
    double rollTop() const { return headingHeight + rulerHeight; }
    double rollHeight() const { return (high - low + 1) * rowHeight; }
    double speedTop() const { return rollTop() + rollHeight(); }
    double bandTop() const { return speedTop() + speedHeight; }
    double bandsHeight() const {
        return bandHeight * static_cast<double>(std::max<std::size_t>(lanes.size(), 1));
    }

    // Lines drawn from 0 to 1 in the shared group, stretched here from `from` to `to`.
    static void place(SvgWriter& svg, const char* group, double from, double to) {
        svg.leaf("use", {{"href", group},
                         {"xlink:href", group},
                         {"transform", "translate(0," + num(from) + ") scale(1," +
                                           num(std::max(to - from, 1.0)) + ")"}});
    }
    double rowTop(int key) const { return rollTop() + (high - key) * rowHeight; }
    double rowCentre(int key) const { return rowTop(key) + rowHeight / 2; }

    std::string where(std::uint32_t tick) const {
        TempoMap::Position at = tempo.position(tick);
        if (tempo.countsSeconds()) {
            return clockTime(tempo.seconds(tick));
        }
        return "bar " + std::to_string(at.bar) + " beat " + std::to_string(at.beat) + ", " +
               clockTime(tempo.seconds(tick));
    }

    void drawHeading(SvgWriter& svg) const {
        svg.text("text", {{"class", "heading"}, {"x", num(16)}, {"y", num(16)}}, heading());
    }

    void drawKeys(SvgWriter& svg, const TimeScale& scale) const {
        // Long rolls repeat the octave names so a scrolled view still shows its keys: in every
        // stretch of the width where the track strikes a note, so their number is bounded by
        // the notes.
        std::vector<double> repeats;
        for (const RollTrack::Note& note : roll.notes) {
            double stretch = std::floor((scale.x(note.start) - leftMargin) / keyNameRepeat);
            double x = stretch * keyNameRepeat;
            if (x >= keyNameRepeat && x < scale.width() - 100 &&
                (repeats.empty() || repeats.back() < x)) {
                repeats.push_back(x);
            }
        }
        svg.open("g", {{"class", "keys"}});
        for (int key = high; key >= low; --key) {
            svg.leaf("rect", {{"class", isBlackKey(key) ? "black" : "white"},
                              {"x", num(leftMargin)},
                              {"y", num(rowTop(key))},
                              {"width", num(scale.width())},
                              {"height", num(rowHeight)}});
        }
        for (int key = high; key >= low; --key) {
            bool octave = key % 12 == 0;
            if (octave && key != low) {
                // The line under each C marks the octaves.
                double y = rowTop(key) + rowHeight;
                svg.leaf("line", {{"class", "octave"},
                                  {"x1", num(leftMargin)},
                                  {"x2", num(leftMargin + scale.width())},
                                  {"y1", num(y)},
                                  {"y2", num(y)}});
            }
            if (!octave && rowHeight < 12) {
                continue;
            }
            auto name = keyName(static_cast<std::uint8_t>(key), flats);
            double baseline = rowCentre(key) + 3;
            svg.text("text",
                     {{"class", "key-name"}, {"x", num(leftMargin - 6)}, {"y", num(baseline)}},
                     name);
            // Long rolls repeat the octave names so a scrolled view still shows its keys.
            for (double x : octave ? repeats : std::vector<double>{}) {
                svg.text("text",
                         {{"class", "key-name repeat"},
                          {"x", num(leftMargin + x)},
                          {"y", num(baseline)}},
                         name);
            }
        }
        svg.close();
    }

    void drawNotes(SvgWriter& svg, const TimeScale& scale) const {
        svg.open("g", {{"class", "notes"}});
        for (const RollTrack::Note& note : roll.notes) {
            double x = scale.x(note.start);
            double width = std::max(scale.pixels(note.end - note.start), 2.0);
            if (note.glideFrom) {
                // From the key the synthesizer leaves towards the struck one.
                double reach = std::min(width, 14.0);
                svg.leaf("path",
                         {{"class", "glide-path"},
                          {"d", "M" + num(x - 2) + " " + num(rowCentre(*note.glideFrom)) + " L" +
                                    num(x + reach) + " " + num(rowCentre(note.key))}});
            }
            std::string kind = note.glideFrom ? "note glide" : "note struck";
            std::string name = keyName(note.key, flats);
            std::string label =
                name + ", " + where(note.start) +
                (note.glideFrom ? ", glides from " + keyName(*note.glideFrom, flats) : "");
            svg.open("rect",
                     {{"class", note.ended ? kind : kind + " open"},
                      {"x", num(x)},
                      {"y", num(rowTop(note.key) + 1)},
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

    // Opens the group of a strip under the notes and writes its name left of the plot.
    static void openStrip(SvgWriter& svg, const char* kind, double nameY, const char* name) {
        svg.open("g", {{"class", kind}});
        svg.text("text", {{"class", "strip-name"}, {"x", num(leftMargin - 6)}, {"y", num(nameY)}},
                 name);
    }

    void drawSpeeds(SvgWriter& svg, const TimeScale& scale) const {
        openStrip(svg, "speed", speedTop() + 14, "CC 5");
        double labelEnd = 0;
        double middle = speedTop() + speedHeight / 2;
        const std::vector<RollTrack::Speed>& speeds = roll.speeds;
        for (std::size_t i = 0; i < speeds.size(); ++i) {
            if (speeds[i].tick < scale.startTick() || speeds[i].tick > scale.endTick()) {
                continue;
            }
            double x = scale.x(speeds[i].tick);
            std::string value = std::to_string(speeds[i].value);
            svg.open("g", {{"class", "speed-mark"},
                           {"data-tick", std::to_string(speeds[i].tick)},
                           {"data-value", value}});
            svg.text("title", {}, "portamento time " + value + ", " + where(speeds[i].tick));
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

    void drawBand(SvgWriter& svg, const TimeScale& scale) const {
        if (lanes.empty()) {
            drawLane(svg, scale, bandTop(), "CC 65", roll.portamentoOn);
            return;
        }
        for (std::size_t i = 0; i < lanes.size(); ++i) {
            std::string name = "CC 65 ch " + std::to_string(lanes[i] + 1);
            drawLane(svg, scale, bandTop() + bandHeight * static_cast<double>(i), name.c_str(),
                     roll.channelPortamentoOn[lanes[i]]);
        }
    }

    void drawLane(SvgWriter& svg, const TimeScale& scale, double top, const char* name,
                  const std::vector<RollTrack::Span>& spans) const {
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
                     "portamento on from " + where(span.start) + " to " + where(span.end));
            svg.close();
        }
        svg.close();
    }

    RollTrack roll;
    std::size_t number;
    const TempoMap& tempo;
    std::uint16_t processed = 0;
    bool flats = false;
    // The channels with a controller 65 lane of their own; empty: one lane for the track.
    std::vector<std::uint8_t> lanes;
    int low = 60;
    int high = 72;
    double rowHeight = 12;
};

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

// The bar and beat lines, drawn from 0 to 1 for each roll to stretch, and the ruler of bar
// numbers and times above the rolls: once per picture, so a picture grows with its bars plus
// its tracks, not with their product.
void drawGridDefinitions(SvgWriter& svg, const TimeScale& scale, const TempoMap& tempo) {
    std::vector<double> barLines;
    std::vector<double> beatLines;
    struct Label {
        double x;
        std::uint32_t bar;
        std::uint32_t tick;
    };
    std::vector<Label> labels;
    const std::vector<TempoMap::Meter>& meters = tempo.meters();
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
    svg.open("g", {{"id", "ruler"}});
    for (const Label& label : labels) {
        std::string time = clockTime(tempo.seconds(label.tick));
        if (tempo.countsSeconds()) {
            svg.text(
                "text",
                {{"class", "bar-number"}, {"x", num(label.x + 3)}, {"y", num(headingHeight + 14)}},
                time);
            continue;
        }
        svg.text("text",
                 {{"class", "bar-number"}, {"x", num(label.x + 3)}, {"y", num(headingHeight + 12)}},
                 std::to_string(label.bar));
        svg.text("text",
                 {{"class", "time"}, {"x", num(label.x + 3)}, {"y", num(headingHeight + 23)}},
                 time);
    }
    svg.close();
}

} // namespace

PianoRoll::PianoRoll(std::string pictureTitle, std::string pictureCaption,
                     std::optional<BarRange> barRange)
    : title(std::move(pictureTitle)), caption(std::move(pictureCaption)), bars(barRange) {}

std::string PianoRoll::svg(const MidiFile& file,
                           const std::vector<std::uint16_t>& processed) const {
    // One map serves every track of a format 0 or 1 file; a format 2 track has its own.
    std::deque<TempoMap> maps;
    maps.emplace_back(file, 0);
    bool flats = flatKeyOf(file);
    std::vector<TrackDrawing> drawings;
    std::uint32_t endTick = 0;
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        RollTrack roll = RollTrack::read(file.tracks[i]);
        if (roll.notes.empty()) {
            continue;
        }
        endTick = std::max(endTick, roll.endTick);
        if (file.format == 2 && i > 0) {
            maps.emplace_back(file, i);
        }
        std::uint16_t through = i < processed.size() ? processed[i] : roll.channels;
        drawings.emplace_back(std::move(roll), i + 1, maps.back(), through, flats);
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

    // Never narrower than the legend and the caption above the rolls.
    double headerWidth =
        std::max(legendWidth, 32 + captionCharWidth * static_cast<double>(caption.size()));
    for (const TrackDrawing& drawing : drawings) {
        // Headings are of a few lengths; measuring each stays linear.
        headerWidth = std::max(headerWidth, 32 + headingCharWidth * drawing.headingWidth());
    }
    double width = std::max(leftMargin + scale.width() + rightMargin, headerWidth);
    double height = headerHeight;
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
    svg.text("title", {}, title);
    svg.raw(styleSheet);
    svg.open("defs", {});
    svg.open("clipPath", {{"id", "plot"}});
    svg.leaf("rect", {{"x", num(leftMargin)},
                      {"y", "0"},
                      {"width", num(scale.width())},
                      {"height", num(height)}});
    svg.close();
    drawGridDefinitions(svg, scale, first);
    svg.close();
    svg.leaf("rect", {{"x", "0"},
                      {"y", "0"},
                      {"width", num(width)},
                      {"height", num(height)},
                      {"fill", "#ffffff"}});
    svg.text("text", {{"class", "title"}, {"x", num(16)}, {"y", num(30)}}, title);
    svg.text("text", {{"class", "caption"}, {"x", num(16)}, {"y", num(52)}}, caption);
    drawLegend(svg, 66);

    double top = headerHeight;
    for (const TrackDrawing& drawing : drawings) {
        drawing.draw(svg, scale, top);
        top += drawing.height();
    }
    if (drawings.empty()) {
        svg.text("text", {{"class", "caption"}, {"x", num(16)}, {"y", num(top + 16)}},
                 "No track of this file holds notes.");
    }
    return svg.finish();
}

} // namespace quorlin::host
