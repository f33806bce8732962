#pragma once

#include "host/midi/TempoMap.h"

#include <cstdint>
#include <string>

namespace quorlin::host {

// A tick as the picture's titles and ruler tell it, by the tempo map of its track.
class TimeLabel {
public:
    // `tempoMap` outlives the label.
    explicit TimeLabel(const TempoMap& tempoMap) : tempo(&tempoMap) {}

    // "bar 3 beat 2, 0:04.5"; in SMPTE time the clock time alone.
    std::string where(std::uint32_t tick) const;

    // "1:05.3" for `seconds`, "1:02:03" from an hour on.
    static std::string clock(double seconds);

private:
    const TempoMap* tempo;
};

} // namespace quorlin::host
