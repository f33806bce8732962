#pragma once

#include "host/plugin/ChannelPlayers.h"
#include "host/plugin/PlayingOptions.h"
#include "legato/ChannelBank.h"

#include <memory>
#include <optional>
#include <string>

namespace quorlin::host {

// Channel players from the channel bank linked into this program, with the playing options: one
// bank for each stream, its channels the stream's channels (BankChannel). With the options at
// their defaults a stream gives the library's bytes.
class BankPlayers final : public ChannelPlayers {
public:
    // `speed` as speedOf spells it, or none.
    BankPlayers(std::optional<std::string> speed, PlayingOptions options);

    void begin(const TempoMap& tempo) override;
    std::unique_ptr<ChannelPlayer> make(std::uint8_t channel) override;
    void end() override;

private:
    std::optional<std::string> speed;
    PlayingOptions options;
    const TempoMap* tempo = nullptr;
    std::unique_ptr<ChannelBank> bank;
};

} // namespace quorlin::host
