#pragma once

#include "component/HostServicesContext.h"
#include "component/ModuleInterfaces.h"
#include "host/midi/MidiFile.h"
#include "host/midi/TempoMap.h"
#include "host/plugin/ChannelChoice.h"
#include "host/plugin/EventLog.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/InterfacePointer.h"
#include "host/plugin/PlayingOptions.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlin::host {

// Runs the tracks of a file through plug-in instances as a sequencer does with one plug-in per
// track and channel: every chosen channel of a track that carries notes gets a fresh instance
// of its own. Per instance: initialize, set the speed when one is given, start, then at every
// tick that holds an event of its channel a position call followed by the tick's messages of
// that channel, stop, terminate, release. Events of other channels, meta and system-exclusive
// events pass untouched, in place; all of a track's results merge back into its one track in
// tick order, each input event keeping its place among the events of its tick.
class MidiProcessor {
public:
    using ModuleSource = std::function<InterfacePointer<ModuleInterface>()>;
    static constexpr const char* speedParameter = "portamentoSpeed";

    // `log` may be null; when given it receives a row per event and per productive position.
    // With a playing option that needs it, the channels are played by the legato core linked
    // into this program instead of instances from `createModule`.
    MidiProcessor(ModuleSource createModule, std::optional<std::string> speed, EventLog* log,
                  ChannelChoice choice = {}, PlayingOptions playing = {});

    MidiFile process(const MidiFile& file);
    // The same work on a file read in place, each track written to `out` as it is played: no
    // track's events are held, so a long file takes little more memory than its bytes and the
    // result's. `out` receives the bytes process(...).serialize() gives.
    void process(const MidiFileView& file, MidiFileWriter& out);

    // Per track of the last file processed, bit n set when channel n + 1 went through the
    // plug-in.
    const std::vector<std::uint16_t>& processedChannels() const { return processed; }

    // The input's own controllers 5 and 65 on the channels that went through, in the last file:
    // left out with --replace-controllers, passed on otherwise.
    std::size_t inputPortamentoControllers() const { return portamentoControllers; }

    // The host's objects, for checks that every reference came back.
    const EventServices& eventServices() const { return services; }
    const HostServicesContext& hostContext() const { return context; }

private:
    template <class Track> std::uint16_t chooseChannels(const Track& track, std::size_t index);
    // `tempoSource` holds the tempo and time signature events of the file.
    template <class Track, class Sink>
    void processTrack(const Track& track, const MidiFile& tempoSource, std::size_t index,
                      std::uint16_t channels, Sink& sink);
    // The tempo map of track `index`: one a file in formats 0 and 1, made for the file's first
    // track that plays through the core; a format 2 track's own.
    const TempoMap& tempoOf(const MidiFile& tempoSource, std::size_t index);

    ModuleSource createModule;
    std::optional<std::string> speed;
    EventLog* log;
    ChannelChoice choice;
    PlayingOptions playing;
    std::vector<std::uint16_t> processed;
    std::size_t portamentoControllers = 0;
    std::optional<TempoMap> tempo;
    EventServices services;
    HostServicesContext context{services};
};

} // namespace quorlin::host
