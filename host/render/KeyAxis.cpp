#include "host/render/KeyAxis.h"

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <cmath>

namespace quorlin::host {

namespace {

constexpr int minKeyRows = 13;
// The row height that a key name of 9 pixels needs.
constexpr double nameRowHeight = 12;
// How far apart the repeated octave names are, in pixels.
constexpr double keyNameRepeat = 1400;

constexpr std::string (*num)(double) = SvgWriter::number;

bool isBlackKey(int key) {
    int pitch = key % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

} // namespace

KeyAxis::KeyAxis(int lowest, int highest) {
    low = std::max(lowest - 1, 0);
    high = std::min(highest + 1, midi::dataMax);
    while (high - low + 1 < minKeyRows) {
        if (low > 0 && (high == midi::dataMax || (high - low) % 2 == 1)) {
            --low;
        } else {
            ++high;
        }
    }
    rowHeight = rows() <= 24 ? nameRowHeight : rows() <= 48 ? 8 : 5;
}

bool KeyAxis::hasRoomForEveryName() const {
    return rowHeight >= nameRowHeight;
}

KeyAxis KeyAxis::fitting(const std::vector<RollTrack::Note>& notes,
                         std::optional<RollTrack::Span> shown) {
    int lowest = midi::dataMax;
    int highest = 0;
    for (int pass = shown ? 0 : 1; pass < 2 && lowest > highest; ++pass) {
        for (const RollTrack::Note& note : notes) {
            bool sounds = pass == 1 || note.soundsWithin(shown->start, shown->end);
            if (sounds) {
                lowest = std::min<int>(lowest, note.key);
                highest = std::max<int>(highest, note.key);
            }
        }
    }
    return {lowest, highest};
}

void KeyAxis::draw(SvgWriter& svg, const TimeScale& scale,
                   const std::vector<RollTrack::Note>& notes, const KeySpelling& spelling,
                   Names names) const {
    // The repeats' number is bounded by the notes.
    std::vector<double> repeats;
    for (const RollTrack::Note& note : notes) {
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
        if (!octave && names == Names::octaves) {
            continue;
        }
        auto name = spelling.name(static_cast<std::uint8_t>(key));
        double baseline = rowCentre(key) + 3;
        svg.text("text", {{"class", "key-name"}, {"x", num(leftMargin - 6)}, {"y", num(baseline)}},
                 name);
        for (double x : octave ? repeats : std::vector<double>{}) {
            svg.text(
                "text",
                {{"class", "key-name repeat"}, {"x", num(leftMargin + x)}, {"y", num(baseline)}},
                name);
        }
    }
    svg.close();
}

} // namespace quorlin::host
