#pragma once

#include "host/midi/MidiFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorlin::host {

// A self-contained SVG picture of a file as it went out of the plug-in: per track that holds
// notes, a piano roll (keys upwards, bars and beats across, notes that glide in set apart from
// struck ones), the portamento time values sent as labelled marks and the portamento on/off
// state as a band under it; a title, a caption and a legend above. All rolls share one time
// scale. Short phrases are drawn wide enough to read; whole songs get a wider picture to scroll
// through, with bar, key and value labels thinned so that none overlap. Every roll of a picture
// names its keys alike: each row when all rolls have room for that, else the Cs alone.
class PianoRoll {
public:
    // Bars counted from 1, both included.
    struct BarRange {
        std::uint32_t first = 1;
        std::uint32_t last = 1;
    };

    // With `bars`, only those bars are drawn.
    PianoRoll(std::string title, std::string caption, std::optional<BarRange> bars = {});

    // `processed`, per track, the channels that went through the plug-in (bit n: channel n + 1);
    // tracks it does not reach count every channel they play.
    std::string svg(const MidiFile& file, const std::vector<std::uint16_t>& processed = {}) const;

    // How many bars the picture of `file` spans, the last one begun included.
    static std::uint32_t barCount(const MidiFile& file);

    // "channel 1" or "channels 1, 3", for bits n set for channel n + 1.
    static std::string channelList(std::uint16_t channels);

private:
    std::string title;
    std::string caption;
    std::optional<BarRange> bars;
};

} // namespace quorlin::host
