#pragma once

#include "legato/PlayingRanges.h"

#include <cstdint>
#include <optional>

namespace quorlin::host {

// How process plays the channels it runs, beyond the portamento speed. Left unset, an option
// keeps its default, which is the rule of the plug-in library.
struct PlayingOptions {
    // --chord-window MS: keys struck less than this after the key before them make one chord.
    std::optional<std::uint32_t> chordWindow;
    // --interval-limit N: held keys more than N semitones from a note-on do not count for it.
    std::optional<std::uint32_t> intervalLimit;
    // --glide-source: controller 84 names the key each gliding note glides from.
    std::optional<bool> glideSource;
    // --legato-tolerance MS: a key let go less than this before a note-on still counts.
    std::optional<std::uint32_t> legatoTolerance;
    // --cc65 change: controller 65 only when its value changes on the channel.
    std::optional<bool> portamentoOnChange;
    // --replace-controllers: the input's own controllers 5 and 65 on processed channels are left
    // out, so Quorlin's are the only ones. Either way through the plug-in.
    bool replaceControllers = false;

    // Whether every option holds its default, typed or not: then the plug-in library, which
    // has only the speed, plays them as the legato core does.
    bool atDefaults() const {
        constexpr auto noWindow = static_cast<std::uint32_t>(playing::chordWindowDefault);
        constexpr auto noTolerance = static_cast<std::uint32_t>(playing::legatoToleranceDefault);
        return chordWindow.value_or(noWindow) == noWindow && !intervalLimit.has_value() &&
               !glideSource.value_or(false) &&
               legatoTolerance.value_or(noTolerance) == noTolerance &&
               !portamentoOnChange.value_or(false);
    }
};

} // namespace quorlin::host
