#include "host/render/GlideOrigins.h"

#include "legato/MidiProtocol.h"

#include <array>
#include <functional>
#include <queue>

namespace quorlin::host {

namespace {

constexpr std::uint8_t switchThreshold = 64;

// What a synthesizer keeps of one channel for its next glide.
struct ChannelState {
    bool portamento = false;
    std::optional<std::uint8_t> lastKey;
    std::optional<std::uint8_t> namedKey;

    std::optional<std::uint8_t> strike(std::uint8_t key) {
        std::optional<std::uint8_t> from = namedKey     ? namedKey
                                           : portamento ? lastKey
                                                        : std::nullopt;
        namedKey.reset();
        lastKey = key;
        return from;
    }
};

// The next event of a track still to play.
struct Cursor {
    std::uint32_t tick = 0;
    std::size_t track = 0;
    std::size_t index = 0;

    // Later: further down the queue.
    bool operator>(const Cursor& other) const {
        return tick != other.tick ? tick > other.tick : track > other.track;
    }
};

} // namespace

GlideOrigins::GlideOrigins(const MidiFile& file) : origins(file.tracks.size()) {
    if (file.format == 2) {
        for (std::size_t track = 0; track < file.tracks.size(); ++track) {
            play(file, track, track + 1);
        }
    } else {
        play(file, 0, file.tracks.size());
    }
}

const std::vector<std::optional<std::uint8_t>>& GlideOrigins::ofTrack(std::size_t track) const {
    static const std::vector<std::optional<std::uint8_t>> none;
    return track < origins.size() ? origins[track] : none;
}

void GlideOrigins::play(const MidiFile& file, std::size_t firstTrack, std::size_t endTrack) {
    std::array<ChannelState, midi::channelCount> channels{};
    std::priority_queue<Cursor, std::vector<Cursor>, std::greater<>> next;
    for (std::size_t track = firstTrack; track < endTrack; ++track) {
        if (!file.tracks[track].events.empty()) {
            next.push({file.tracks[track].events.front().tick, track, 0});
        }
    }
    while (!next.empty()) {
        Cursor at = next.top();
        next.pop();
        const std::vector<MidiEvent>& events = file.tracks[at.track].events;
        if (at.index + 1 < events.size()) {
            next.push({events[at.index + 1].tick, at.track, at.index + 1});
        }
        const MidiEvent& event = events[at.index];
        if (!event.isChannelMessage()) {
            continue;
        }
        ChannelState& channel = channels[event.channel()];
        if (event.isNoteOn()) {
            origins[at.track].push_back(channel.strike(event.data1));
        } else if (event.command() == MidiEvent::controlChange) {
            if (event.data1 == midi::controllerPortamento) {
                channel.portamento = event.data2 >= switchThreshold;
            } else if (event.data1 == midi::controllerPortamentoControl) {
                channel.namedKey = event.data2;
            }
        }
    }
}

} // namespace quorlin::host
