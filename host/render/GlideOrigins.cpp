#include "host/render/GlideOrigins.h"

#include "host/midi/TrackMerge.h"
#include "legato/MidiProtocol.h"

#include <array>

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
    // Per track, the index of its next event.
    std::vector<std::size_t> next(endTrack - firstTrack, 0);
    TrackMerge merge;
    for (std::size_t track = firstTrack; track < endTrack; ++track) {
        if (!file.tracks[track].events.empty()) {
            merge.add(file.tracks[track].events.front().tick, track);
        }
    }
    while (!merge.empty()) {
        std::size_t track = merge.take();
        const std::vector<MidiEvent>& events = file.tracks[track].events;
        std::size_t index = next[track - firstTrack]++;
        if (index + 1 < events.size()) {
            merge.add(events[index + 1].tick, track);
        }
        const MidiEvent& event = events[index];
        if (!event.isChannelMessage()) {
            continue;
        }
        ChannelState& channel = channels[event.channel()];
        if (event.isNoteOn()) {
            origins[track].push_back(channel.strike(event.data1));
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
