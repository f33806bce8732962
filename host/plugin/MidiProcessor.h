#pragma once

#include "component/ModuleInterfaces.h"
#include "host/midi/MidiFile.h"
#include "host/plugin/EventLog.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/InterfacePointer.h"
#include "host/plugin/PluginHostContext.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlin::host {

// Runs the tracks of a file through plug-in instances, one fresh instance per track that holds
// notes; other tracks are copied as they are. Per track: initialize, set the speed when one is
// given, start, then tick by tick a position call followed by the tick's channel messages,
// stop, terminate, release. Meta and system-exclusive events bypass the plug-in in place.
class MidiProcessor {
public:
    using ModuleSource = std::function<InterfacePointer<ModuleInterface>()>;
    static constexpr const char* speedParameter = "portamentoSpeed";

    // `log` may be null; when given it receives a row per event and per productive position.
    MidiProcessor(ModuleSource createModule, std::optional<std::string> speed, EventLog* log);

    MidiFile process(const MidiFile& file);

    static bool holdsNotes(const MidiTrack& track);

    // The host's objects, for checks that every reference came back.
    const EventServices& eventServices() const { return services; }
    const PluginHostContext& hostContext() const { return context; }

private:
    MidiTrack processTrack(const MidiTrack& track, std::size_t trackNumber);

    ModuleSource createModule;
    std::optional<std::string> speed;
    EventLog* log;
    EventServices services;
    PluginHostContext context{services};
};

} // namespace quorlin::host
