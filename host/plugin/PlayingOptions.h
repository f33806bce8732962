#pragma once

#include <cstdint>
#include <optional>

namespace quorlin::host {

// How process plays the channels it runs, beyond the portamento speed. Left unset, an option
// keeps the rule of the plug-in library, and the run drives the library through its tables;
// setting any of the options it has not, even to its default, runs the channel bank linked into
// the program.
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

    bool needsCore() const {
        return chordWindow.has_value() || portamentoOnChange.has_value() ||
               intervalLimit.has_value() || glideSource.has_value() || legatoTolerance.has_value();
    }
};

} // namespace quorlin::host
