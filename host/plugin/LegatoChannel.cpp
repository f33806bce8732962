#include "host/plugin/LegatoChannel.h"

#include "component/MidiProtocol.h"

#include <algorithm>
#include <cmath>

namespace quorlin::host {

LegatoChannel::LegatoChannel(std::uint8_t number, const std::optional<std::string>& speed,
                             const PlayingOptions& options, const TempoMap& tempoMap)
    : channel(number), chordWindow(options.chordWindow.value_or(0)), tempo(tempoMap) {
    if (speed) {
        legato.setSpeed(*speed == "Off" ? LegatoCore::speedOff : std::stoi(*speed));
    }
    legato.setPortamentoOnChange(options.portamentoOnChange.value_or(false));
    legato.start();
}

MidiEvent LegatoChannel::controller(std::uint32_t tick, std::uint8_t number,
                                    std::int32_t value) const {
    return MidiEvent::channelMessage(tick,
                                     static_cast<std::uint8_t>(midi::statusController | channel),
                                     number, static_cast<std::uint8_t>(value));
}

void LegatoChannel::processTime(std::uint32_t tick, std::vector<MidiEvent>& out) {
    if (std::optional<std::int32_t> value = legato.takeDueSpeed()) {
        out.push_back(controller(tick, midi::controllerPortamentoTime, *value));
    }
}

void LegatoChannel::processEvent(const MidiEvent& event, std::int32_t length,
                                 std::vector<MidiEvent>& out) {
    auto position = static_cast<std::int32_t>(event.tick);
    std::uint8_t kind = event.command();
    if (kind == midi::statusNoteOn && event.data2 != 0) {
        if (chordWindow > 0) {
            // The window in ticks at the tempo of this note; at least one tick, so notes struck
            // together never count for each other.
            double ticks = chordWindow * tempo.ticksPerSecond(event.tick) / 1000.0;
            legato.setChordWindow(
                static_cast<std::int32_t>(std::clamp(std::round(ticks), 1.0, double{INT32_MAX})));
        }
        if (std::optional<std::int32_t> value = legato.noteOn(event.data1, position, length)) {
            out.push_back(controller(event.tick, midi::controllerPortamento, *value));
        }
    } else if (kind == midi::statusNoteOn || kind == midi::statusNoteOff) {
        legato.noteOff(event.data1);
    } else if (kind == midi::statusController) {
        legato.controller(event.data1, event.data2);
    }
    out.push_back(event);
}

void LegatoChannel::stop(std::uint32_t, std::vector<MidiEvent>&) {
    legato.stop();
}

} // namespace quorlin::host
