#pragma once

#include "host/midi/TempoMap.h"
#include "host/render/RollTrack.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorlin::host {

// The line above a track's roll, e.g. "Track 2 · Lead · channels 1-3, 1 through the plug-in ·
// 40 notes, 12 glide in · 120 bpm, 4/4": a long track name is cut so that it stays on the
// picture.
class TrackHeading {
public:
    // `processed`: the track's channels that went through the plug-in (bit n: channel n + 1).
    TrackHeading(const RollTrack& roll, std::size_t number, std::uint16_t processed,
                 const TempoMap& tempo);

    const std::string& text() const { return line; }
    // Its length in characters, each multi-byte character counted once.
    double width() const;

private:
    std::string line;
};

} // namespace quorlin::host
