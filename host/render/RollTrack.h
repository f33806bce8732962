#pragma once

#include "host/midi/MidiFile.h"

#include "legato/MidiProtocol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorlin::host {

// What the piano roll shows of one track, read from its events as they went out: the notes,
// the stretches where portamento was on (controller 65 at 64 or more) and the portamento times
// sent (controller 5).
struct RollTrack {
    struct Note {
        std::uint32_t start = 0;
        std::uint32_t end = 0;
        std::uint8_t key = 0;
        std::uint8_t channel = 0;
        std::uint8_t velocity = 0;
        // The key it glides from, as the synthesizer hears the whole file (GlideOrigins).
        std::optional<std::uint8_t> glideFrom;
        // False when nothing ended it; it then lasts to the end of the track.
        bool ended = true;

        // Whether it sounds within the ticks from `from` up to `to`: it starts before their end
        // and lasts into them, or starts among them (at one tick, a note of no length).
        bool soundsWithin(std::uint32_t from, std::uint32_t to) const {
            return start < to && (end > from || start >= from);
        }
    };

    struct Span {
        std::uint32_t start = 0;
        std::uint32_t end = 0;
    };

    struct Speed {
        std::uint32_t tick = 0;
        std::uint8_t channel = 0;
        std::uint8_t value = 0;
    };

    static constexpr std::uint8_t portamentoTimeController = midi::controllerPortamentoTime;
    static constexpr std::uint8_t portamentoController = midi::controllerPortamento;

    std::string name;
    std::vector<Note> notes; // by start, in file order at equal ticks
    std::vector<Span> portamentoOn;
    // The same stretches of each channel alone, channel n at index n.
    std::array<std::vector<Span>, 16> channelPortamentoOn;
    std::vector<Speed> speeds;
    std::uint32_t endTick = 0;
    std::uint16_t channels = 0; // bit n: channel n + 1 carries events

    // Note-ons pair with the oldest open note-on of their channel and key, as a synthesizer
    // ends them. The portamento stretches span all channels: on while any channel has it on.
    // `glideFrom`: the key each note-on glides from, in the track's order (GlideOrigins::ofTrack);
    // note-ons past its end glide from none.
    static RollTrack read(const MidiTrack& track,
                          std::span<const std::optional<std::uint8_t>> glideFrom = {});

    std::size_t glidingNotes() const;
};

} // namespace quorlin::host
