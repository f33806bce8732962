#include "host/render/TrackHeading.h"

#include <algorithm>
#include <bit>

namespace quorlin::host {

namespace {

// A track name longer than this is cut, so that a heading stays on the picture.
constexpr std::size_t maxNameLength = 60;

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

} // namespace

TrackHeading::TrackHeading(const RollTrack& roll, std::size_t number, std::uint16_t processed,
                           const TempoMap& tempo)
    : line("Track " + std::to_string(number)) {
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
        line += " \u00b7 " + name;
    }
    std::string played = channelRanges(roll.channels);
    std::string through = (processed & roll.channels) == roll.channels ? "all"
                          : (processed & roll.channels) == 0
                              ? "none"
                              : channelRanges(processed & roll.channels);
    bool one = std::popcount(roll.channels) == 1;
    line += std::string(" \u00b7 ") + (one ? "channel " : "channels ") + played + ", " +
            (one && through == "all" ? "through the plug-in" : through + " through the plug-in") +
            " \u00b7 " + std::to_string(roll.notes.size()) + " notes, " +
            std::to_string(roll.glidingNotes()) + " glide in \u00b7 " + tempo.describeStart();
    if (std::size_t changes = tempo.tempoChanges(); changes > 0) {
        line +=
            ", " + std::to_string(changes) + (changes == 1 ? " tempo change" : " tempo changes");
    }
}

double TrackHeading::width() const {
    return static_cast<double>(std::count_if(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace quorlin::host
