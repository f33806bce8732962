#pragma once

#include "host/midi/TempoMap.h"
#include "host/plugin/ChannelPlayer.h"
#include "host/plugin/PlayingOptions.h"
#include "legato/ChannelBank.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorlin::host {

// One channel of a stream played by the channel bank linked into this program, with the playing
// options. It sends what the plug-in would at the same calls, so with the options at their
// defaults its output is the library's to the byte. The channels of a stream share one bank.
class BankChannel final : public ChannelPlayer {
public:
    // `bank` (set up by prepare) and `tempo`, which measures the chord window in ticks at each
    // note, must outlive the channel.
    BankChannel(ChannelBank& bank, std::uint8_t channel, const TempoMap& tempo);

    // The bank of a stream, before its first event: `speed` as speedOf spells it, or none, and
    // the options; then started, as the plug-in is.
    static void prepare(ChannelBank& bank, const std::optional<std::string>& speed,
                        const PlayingOptions& options);

    void processTime(std::uint32_t tick, std::vector<MidiEvent>& out) override;
    void processEvent(const MidiEvent& event, std::int32_t length,
                      std::vector<MidiEvent>& out) override;
    void stop(std::uint32_t tick, std::vector<MidiEvent>& out) override;

private:
    ChannelBank& bank;
    std::uint8_t channel;
    const TempoMap& tempo;
};

} // namespace quorlin::host
