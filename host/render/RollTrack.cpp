#include "host/render/RollTrack.h"

#include "host/midi/OpenNotes.h"

#include <algorithm>
#include <array>

namespace quorlin::host {

namespace {

constexpr std::uint8_t trackNameType = midi::metaTrackName;
constexpr std::uint8_t switchThreshold = 64;
constexpr std::size_t channelCount = 16;

// Collects the stretches in which at least one channel has portamento on.
class PortamentoState {
public:
    explicit PortamentoState(RollTrack& roll)
        : spans(roll.portamentoOn), channelSpans(roll.channelPortamentoOn) {}

    void set(std::uint8_t channel, bool on, std::uint32_t tick) {
        if (channelOn[channel] == on) {
            return;
        }
        channelOn[channel] = on;
        if (on) {
            channelSince[channel] = tick;
        } else {
            add(channelSpans[channel], channelSince[channel], tick);
        }
        if (on && onCount++ == 0) {
            since = tick;
        } else if (!on && --onCount == 0) {
            add(spans, since, tick);
        }
    }

    void finish(std::uint32_t endTick) {
        if (onCount > 0) {
            add(spans, since, endTick);
        }
        for (std::size_t channel = 0; channel < channelCount; ++channel) {
            if (channelOn[channel]) {
                add(channelSpans[channel], channelSince[channel], endTick);
            }
        }
    }

private:
    static void add(std::vector<RollTrack::Span>& to, std::uint32_t from, std::uint32_t tick) {
        // On and off again at one tick shows nothing.
        if (tick > from) {
            to.push_back({from, tick});
        }
    }

    std::vector<RollTrack::Span>& spans;
    std::array<std::vector<RollTrack::Span>, channelCount>& channelSpans;
    std::array<std::uint32_t, channelCount> channelSince{};
    std::array<bool, channelCount> channelOn{};
    std::size_t onCount = 0;
    std::uint32_t since = 0;
};

} // namespace

RollTrack RollTrack::read(const MidiTrack& track,
                          std::span<const std::optional<std::uint8_t>> glideFrom) {
    RollTrack roll;
    roll.endTick = track.endTick;
    for (const MidiEvent& event : track.events) {
        roll.endTick = std::max(roll.endTick, event.tick);
    }
    PortamentoState portamento(roll);
    std::vector<OpenNotes> open(channelCount * 128);

    for (const MidiEvent& event : track.events) {
        if (event.isMeta() && event.metaType() == trackNameType && roll.name.empty()) {
            roll.name.assign(event.payload.begin(), event.payload.end());
            continue;
        }
        if (!event.isChannelMessage()) {
            continue;
        }
        std::uint8_t channel = event.channel();
        roll.channels |= static_cast<std::uint16_t>(1u << channel);
        OpenNotes& sounding = open[channel * (midi::dataMax + 1u) + (event.data1 & midi::dataMask)];
        if (event.isNoteOn()) {
            std::size_t index = roll.notes.size();
            Note note{event.tick,  roll.endTick,
                      event.data1, channel,
                      event.data2, index < glideFrom.size() ? glideFrom[index] : std::nullopt,
                      false};
            sounding.add(roll.notes.size());
            roll.notes.push_back(note);
        } else if (event.isNoteOff()) {
            if (!sounding.empty()) {
                Note& note = roll.notes[sounding.takeOldest()];
                note.end = event.tick;
                note.ended = true;
            }
        } else if (event.command() == MidiEvent::controlChange) {
            if (event.data1 == portamentoController) {
                portamento.set(channel, event.data2 >= switchThreshold, event.tick);
            } else if (event.data1 == portamentoTimeController) {
                roll.speeds.push_back({event.tick, channel, event.data2});
            }
        }
    }
    portamento.finish(roll.endTick);
    return roll;
}

std::size_t RollTrack::glidingNotes() const {
    return static_cast<std::size_t>(std::count_if(
        notes.begin(), notes.end(), [](const Note& note) { return note.glideFrom.has_value(); }));
}

} // namespace quorlin::host
