#pragma once

#include "host/midi/TempoMap.h"
#include "host/plugin/ChannelPlayer.h"
#include "host/plugin/PlayingOptions.h"
#include "product/LegatoCore.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorlin::host {

// One channel of a track played by the legato core itself, with the playing options. It sends
// what the plug-in would at the same calls, so with the options at their defaults its output is
// the library's to the byte.
class LegatoChannel final : public ChannelPlayer {
public:
    // `speed` as speedOf spells it, or none; `tempo` converts the chord window to ticks at each
    // note and must outlive the channel.
    LegatoChannel(std::uint8_t channel, const std::optional<std::string>& speed,
                  const PlayingOptions& options, const TempoMap& tempo);

    void processTime(std::uint32_t tick, std::vector<MidiEvent>& out) override;
    void processEvent(const MidiEvent& event, std::int32_t length,
                      std::vector<MidiEvent>& out) override;
    void stop(std::uint32_t tick, std::vector<MidiEvent>& out) override;

private:
    MidiEvent controller(std::uint32_t tick, std::uint8_t number, std::int32_t value) const;

    std::uint8_t channel;
    std::uint32_t chordWindow; // milliseconds
    const TempoMap& tempo;
    LegatoCore legato;
};

} // namespace quorlin::host
