#include "host/plugin/BankChannel.h"

#include "legato/PlayingRanges.h"

namespace quorlin::host {

namespace {

template <class Messages>
void append(const Messages& messages, std::uint32_t tick, std::vector<MidiEvent>& out) {
    for (std::size_t index = 0; index < messages.size(); ++index) {
        ShortMessage message = messages[index];
        out.push_back(
            MidiEvent::channelMessage(tick, message.status, message.first, message.second));
    }
}

} // namespace

BankChannel::BankChannel(ChannelBank& channelBank, std::uint8_t number, const TempoMap& tempoMap)
    : bank(channelBank), channel(number), tempo(tempoMap) {}

void BankChannel::prepare(ChannelBank& bank, const std::optional<std::string>& speed,
                          const PlayingOptions& options) {
    if (speed) {
        bank.setSpeed(playing::speedFromText(*speed).value_or(playing::speedOff));
    }
    bank.setChordWindow(options.chordWindow.value_or(playing::chordWindowDefault));
    bank.setPortamentoOnChange(options.portamentoOnChange.value_or(false));
    bank.setIntervalLimit(
        static_cast<std::int32_t>(options.intervalLimit.value_or(playing::intervalLimitNone)));
    bank.setGlideSource(options.glideSource.value_or(false));
    bank.setLegatoTolerance(options.legatoTolerance.value_or(playing::legatoToleranceDefault));
    bank.start();
}

void BankChannel::processTime(std::uint32_t tick, std::vector<MidiEvent>& out) {
    append(bank.position(channel), tick, out);
}

void BankChannel::processEvent(const MidiEvent& event, std::int32_t length,
                               std::vector<MidiEvent>& out) {
    if (event.isNoteOn()) {
        // The chord window and the legato tolerance are measured at the tempo of this note.
        bank.setPositionRate(tempo.ticksPerSecond(event.tick));
    }
    // A file's ticks may leap by hours between two events.
    bank.advance(static_cast<std::int32_t>(event.tick));
    const std::uint8_t bytes[3] = {event.status, event.data1, event.data2};
    std::size_t size = MidiEvent::hasSecondDataByte(event.status) ? 3 : 2;
    append(bank.receive(bytes, size, static_cast<std::int32_t>(event.tick), length), event.tick,
           out);
    out.push_back(event);
}

void BankChannel::stop(std::uint32_t, std::vector<MidiEvent>&) {
    bank.stop();
}

} // namespace quorlin::host
