#include "host/plugin/MidiProcessor.h"

#include "host/midi/NoteLengths.h"
#include "host/plugin/PluginInstance.h"

#include <algorithm>
#include <new>

namespace quorlin::host {

namespace {

bool byTick(const MidiEvent& left, const MidiEvent& right) {
    return left.tick < right.tick;
}

} // namespace

MidiProcessor::MidiProcessor(ModuleSource source, std::optional<std::string> speedText,
                             EventLog* eventLog)
    : createModule(std::move(source)), speed(std::move(speedText)), log(eventLog) {}

bool MidiProcessor::holdsNotes(const MidiTrack& track) {
    return std::any_of(track.events.begin(), track.events.end(),
                       [](const MidiEvent& event) { return event.isNote(); });
}

MidiFile MidiProcessor::process(const MidiFile& file) {
    MidiFile result;
    result.format = file.format;
    result.division = file.division;
    result.tracks.reserve(file.tracks.size());
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        const MidiTrack& track = file.tracks[i];
        if (holdsNotes(track)) {
            result.tracks.push_back(processTrack(track, i + 1));
        } else {
            result.tracks.push_back(track);
        }
    }
    return result;
}

MidiTrack MidiProcessor::processTrack(const MidiTrack& track, std::size_t trackNumber) {
    const std::vector<MidiEvent>& events = track.events;
    std::vector<std::int32_t> lengths = noteLengths(track);
    auto firstChannel = std::find_if(events.begin(), events.end(), [](const MidiEvent& event) {
                            return event.isChannelMessage();
                        })->channel();

    MidiTrack result;
    // Every note-on gains a controller in front of it.
    result.events.reserve(events.size() + events.size() / 2 + 1);
    std::vector<MidiEvent>& out = result.events;

    PluginInstance instance(createModule(), context);
    if (speed) {
        instance.setParameterText(speedParameter, *speed);
    }
    instance.start();
    std::size_t next = 0;
    while (next < events.size()) {
        std::uint32_t tick = events[next].tick;
        std::size_t before = out.size();
        services.direct(&out, tick, firstChannel);
        instance.processTime(static_cast<std::int32_t>(tick));
        if (log != nullptr && out.size() > before) {
            log->add({tick, trackNumber, std::nullopt, {out.begin() + before, out.end()}});
        }
        for (; next < events.size() && events[next].tick == tick; ++next) {
            const MidiEvent& event = events[next];
            before = out.size();
            if (event.isChannelMessage()) {
                services.direct(&out, tick, event.channel());
                HostEvent handle = EventServices::incoming(event, lengths[next]);
                instance.processEvent(handle);
            } else {
                out.push_back(event);
            }
            if (log != nullptr) {
                log->add({tick, trackNumber, event, {out.begin() + before, out.end()}});
            }
        }
    }
    // Anything sent while stopping belongs to the last tick.
    services.direct(&out, events.empty() ? 0 : events.back().tick, firstChannel);
    instance.stop();
    services.direct(nullptr, 0, 0);
    if (services.ranOutOfMemory()) {
        throw std::bad_alloc();
    }

    // Events the plug-in placed at another position move there; equal ticks keep their order.
    if (!std::is_sorted(out.begin(), out.end(), byTick)) {
        std::stable_sort(out.begin(), out.end(), byTick);
    }
    result.endTick = std::max(track.endTick, out.empty() ? 0u : out.back().tick);
    return result;
}

} // namespace quorlin::host
