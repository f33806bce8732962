#pragma once

#include "host/midi/MidiFile.h"
#include "host/plugin/ChannelChoice.h"
#include "host/plugin/ChannelPlayers.h"
#include "host/plugin/EventLog.h"

#include <cstdint>
#include <vector>

namespace quorlin::host {

// Plays a file's channels through players from its caller and writes the result.
//
// In the synthesizer's view (the default) the file is one stream, as a synthesizer hears it:
// every track's events merged in time, each channel played by one player for the whole file.
// At a tick several tracks share, the tracks' events come in track order, each track's in file
// order, as a player of the file sends them. In the per-track view each track is a stream of its
// own, as a sequencer plays a plug-in inserted on one track. A format 2 file's tracks are
// independent songs: each is its own stream in either view.
//
// Within a stream, a channel that has notes in a chosen track gets a player (ChannelChoice);
// every event of a chosen track on that channel goes through it. At each tick holding such
// events, each player concerned gets a position call first, in the order its channel first
// appears at the tick, then the tick's events in order; a note-on carries the distance to its
// note-off. What a player sends goes into the track of the event that caused it: a position's
// controller 5 into the track of the channel's first event at that tick, a note-on's controller
// 65 right before it in its own track. Other events pass untouched, in place. At the stream's
// end the players are stopped, channel by channel.
class MidiProcessor {
public:
    enum class View { Synthesizer, PerTrack };

    // `players` and `log` (may be null; it gets a row per event and per productive position)
    // must outlive the processor.
    MidiProcessor(ChannelPlayers& players, EventLog* log, ChannelChoice choice = {},
                  View view = View::Synthesizer, bool replaceControllers = false);

    // Reads each track of `file` once more, its events played as they come and written to
    // `out`, a writer of the file's track count; no track's events are held.
    void process(const MidiFileView& file, MidiFileWriter& out);

    // Per track of the last file processed, bit n set when channel n + 1 went through a player.
    const std::vector<std::uint16_t>& processedChannels() const { return processed; }

    // The input's own controllers 5 and 65 on the channels that went through, in the last file:
    // left out with --replace-controllers, passed on otherwise.
    std::size_t inputPortamentoControllers() const { return portamentoControllers; }

private:
    // Plays the tracks from `first` up to `last` (not included) as one stream.
    void playStream(const MidiFileView& file, std::size_t first, std::size_t last,
                    const TempoMap& tempo, MidiFileWriter& out);

    ChannelPlayers& players;
    EventLog* log;
    ChannelChoice choice;
    View view;
    bool replaceControllers;
    std::vector<std::uint16_t> processed;
    std::size_t portamentoControllers = 0;
};

} // namespace quorlin::host
