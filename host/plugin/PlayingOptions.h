#pragma once

#include <cstdint>
#include <optional>

namespace quorlin::host {

// How process plays the channels it runs, beyond the portamento speed. Left unset, an option
// keeps the seed's rule, and the run drives the plug-in library through its tables; setting
// either of the first two, even to its default, runs the channel bank linked into the program.
struct PlayingOptions {
    // --chord-window MS: held keys struck less than this before a note-on do not count.
    std::optional<std::uint32_t> chordWindow;
    // --cc65 change: controller 65 only when its value changes on the channel.
    std::optional<bool> portamentoOnChange;
    // --replace-controllers: the input's own controllers 5 and 65 on processed channels are left
    // out, so Quorlin's are the only ones. Either way through the plug-in.
    bool replaceControllers = false;

    bool needsCore() const { return chordWindow.has_value() || portamentoOnChange.has_value(); }
};

} // namespace quorlin::host
