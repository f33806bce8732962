#include "host/plugin/BankPlayers.h"

#include "host/plugin/BankChannel.h"

namespace quorlin::host {

BankPlayers::BankPlayers(std::optional<std::string> speedText, PlayingOptions playing)
    : speed(std::move(speedText)), options(playing) {}

void BankPlayers::begin(const TempoMap& streamTempo) {
    tempo = &streamTempo;
    bank = std::make_unique<ChannelBank>();
    BankChannel::prepare(*bank, speed, options);
}

std::unique_ptr<ChannelPlayer> BankPlayers::make(std::uint8_t channel) {
    return std::make_unique<BankChannel>(*bank, channel, *tempo);
}

void BankPlayers::end() {
    bank.reset();
    tempo = nullptr;
}

} // namespace quorlin::host
