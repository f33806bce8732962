#include "host/plugin/MidiProcessor.h"

#include "host/midi/TempoMap.h"
#include "host/midi/TrackMerge.h"

#include <algorithm>
#include <array>
#include <memory>
#include <span>
#include <utility>

namespace quorlin::host {

namespace {

bool isOn(std::uint16_t channels, std::uint8_t channel) {
    return ((channels >> channel) & 1U) != 0;
}

// A controller of the portamento, which Quorlin itself sends.
bool isPortamentoController(const MidiEvent& event) {
    return event.command() == midi::statusController &&
           (event.data1 == midi::controllerPortamentoTime ||
            event.data1 == midi::controllerPortamento);
}

// One track of a stream, read once as the stream is played: the event it holds next, and how
// many of its note-ons have been played.
struct TrackReader {
    TrackCursor cursor;
    std::size_t track = 0;
    std::span<const std::int32_t> lengths;
    std::size_t noteOns = 0;
    MidiEvent next;
};

// An event of the tick being played, from track `track`, with the length a note-on carries and
// the player it goes through (null: it passes untouched).
struct Arrival {
    MidiEvent event;
    std::size_t track = 0;
    std::int32_t length = 0;
    ChannelPlayer* player = nullptr;
};

} // namespace

MidiProcessor::MidiProcessor(ChannelPlayers& channelPlayers, EventLog* eventLog,
                             ChannelChoice channelChoice, View streams, bool replace)
    : players(channelPlayers), log(eventLog), choice(std::move(channelChoice)), view(streams),
      replaceControllers(replace) {}

void MidiProcessor::process(const MidiFileView& file, MidiFileWriter& out) {
    processed.assign(file.trackCount(), 0);
    portamentoControllers = 0;
    for (std::size_t i = 0; i < file.trackCount(); ++i) {
        // Room for a controller before every note-on of running-status notes.
        out.reserve(i, file.byteCount(i) * 3);
    }
    if (file.format() == 2) {
        for (std::size_t i = 0; i < file.trackCount(); ++i) {
            TempoMap tempo(file.conductor(), i);
            playStream(file, i, i + 1, tempo, out);
        }
        return;
    }
    // Made once: a map reads every track's tempo changes.
    TempoMap tempo(file.conductor(), 0);
    if (view == View::Synthesizer) {
        playStream(file, 0, file.trackCount(), tempo, out);
        return;
    }
    for (std::size_t i = 0; i < file.trackCount(); ++i) {
        playStream(file, i, i + 1, tempo, out);
    }
}

void MidiProcessor::playStream(const MidiFileView& file, std::size_t first, std::size_t last,
                               const TempoMap& tempo, MidiFileWriter& writer) {
    // The stream's channels that get a player: those with notes in a chosen track.
    std::uint16_t channels = 0;
    for (std::size_t track = first; track < last; ++track) {
        for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
            if (isOn(file.noteChannels(track), channel) && choice.includes(track + 1, channel)) {
                channels = static_cast<std::uint16_t>(channels | (1U << channel));
            }
        }
    }
    std::array<std::unique_ptr<ChannelPlayer>, midi::channelCount> playerOf;
    // The track of each channel's last event through its player, which gets what stopping sends.
    std::array<std::size_t, midi::channelCount> lastTrackOf;
    lastTrackOf.fill(first);
    if (channels != 0) {
        players.begin(tempo);
        for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
            if (isOn(channels, channel)) {
                playerOf[channel] = players.make(channel);
            }
        }
    }
    // Decided once, as an event arrives.
    auto playerFor = [&](const MidiEvent& event, std::size_t track) -> ChannelPlayer* {
        if (!event.isChannelMessage() || !playerOf[event.channel()] ||
            !choice.includes(track + 1, event.channel())) {
            return nullptr;
        }
        processed[track] |= static_cast<std::uint16_t>(1U << event.channel());
        lastTrackOf[event.channel()] = track;
        return playerOf[event.channel()].get();
    };

    std::vector<std::uint32_t> endTicks;
    std::vector<TrackReader> readers;
    readers.reserve(last - first);
    TrackMerge merge;
    for (std::size_t track = first; track < last; ++track) {
        endTicks.push_back(file.endTick(track));
        TrackReader& reader = readers.emplace_back(
            TrackReader{file.track(track), track, file.noteLengths(track), 0, {}});
        if (reader.cursor.next(reader.next)) {
            merge.add(reader.next.tick, track);
        }
    }

    // What one call sent, delivered into the track of the event that caused it.
    std::vector<MidiEvent> out;
    auto deliver = [&](std::size_t track) {
        std::uint32_t& endTick = endTicks[track - first];
        for (const MidiEvent& event : out) {
            endTick = std::max(endTick, event.tick);
            writer.add(track, event);
        }
        out.clear();
    };
    auto logRow = [&](std::uint32_t tick, const Arrival& arrival, bool withInput) {
        if (log != nullptr && (withInput || !out.empty())) {
            log->add({tick, arrival.track + 1,
                      withInput ? std::optional<MidiEvent>(arrival.event) : std::nullopt, out});
        }
    };

    std::vector<Arrival> arrivals;
    std::uint32_t tick = 0;
    while (!merge.empty()) {
        // Every event at the soonest tick, track by track.
        tick = merge.nextTick();
        arrivals.clear();
        while (!merge.empty() && merge.nextTick() == tick) {
            TrackReader& reader = readers[merge.take() - first];
            bool more = true;
            while (more && reader.next.tick == tick) {
                std::int32_t length = reader.next.isNoteOn() ? reader.lengths[reader.noteOns++] : 0;
                ChannelPlayer* player = playerFor(reader.next, reader.track);
                arrivals.push_back({std::move(reader.next), reader.track, length, player});
                more = reader.cursor.next(reader.next);
            }
            if (more) {
                merge.add(reader.next.tick, reader.track);
            }
        }
        // A position call for each player with events here, in the order its channel first
        // appears at this tick.
        std::uint16_t positioned = 0;
        for (const Arrival& arrival : arrivals) {
            ChannelPlayer* player = arrival.player;
            std::uint8_t channel = arrival.event.channel();
            if (player == nullptr || isOn(positioned, channel)) {
                continue;
            }
            positioned = static_cast<std::uint16_t>(positioned | (1U << channel));
            player->processTime(tick, out);
            logRow(tick, arrival, false);
            deliver(arrival.track);
        }
        for (const Arrival& arrival : arrivals) {
            ChannelPlayer* player = arrival.player;
            if (player != nullptr && isPortamentoController(arrival.event)) {
                // The input's own portamento controllers: left out on request, else counted.
                ++portamentoControllers;
                if (!replaceControllers) {
                    player->processEvent(arrival.event, arrival.length, out);
                }
            } else if (player != nullptr) {
                player->processEvent(arrival.event, arrival.length, out);
            } else {
                out.push_back(arrival.event);
            }
            logRow(tick, arrival, true);
            deliver(arrival.track);
        }
    }
    // Anything sent while stopping belongs to the last tick.
    if (channels != 0) {
        for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
            if (playerOf[channel]) {
                playerOf[channel]->stop(tick, out);
                playerOf[channel].reset();
                deliver(lastTrackOf[channel]);
            }
        }
        players.end();
    }
    for (std::size_t track = first; track < last; ++track) {
        writer.endTrack(track, endTicks[track - first]);
    }
}

} // namespace quorlin::host
