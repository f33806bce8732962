#pragma once

#include "component/HostServicesContext.h"
#include "component/ModuleInterfaces.h"
#include "host/midi/MidiFile.h"
#include "host/plugin/ChannelChoice.h"
#include "host/plugin/EventLog.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/InterfacePointer.h"

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
    MidiProcessor(ModuleSource createModule, std::optional<std::string> speed, EventLog* log,
                  ChannelChoice choice = {});

    MidiFile process(const MidiFile& file);

    // Per track of the last file processed, bit n set when channel n + 1 went through the
    // plug-in.
    const std::vector<std::uint16_t>& processedChannels() const { return processed; }

    // Bit n set when channel n + 1 of the track carries notes.
    static std::uint16_t noteChannels(const MidiTrack& track);

    // The host's objects, for checks that every reference came back.
    const EventServices& eventServices() const { return services; }
    const HostServicesContext& hostContext() const { return context; }

private:
    MidiTrack processTrack(const MidiTrack& track, std::size_t trackNumber, std::uint16_t channels);

    ModuleSource createModule;
    std::optional<std::string> speed;
    EventLog* log;
    ChannelChoice choice;
    std::vector<std::uint16_t> processed;
    EventServices services;
    HostServicesContext context{services};
};

} // namespace quorlin::host
