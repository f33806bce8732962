#include "host/plugin/MidiProcessor.h"

#include "host/midi/NoteLengths.h"
#include "host/midi/TempoMap.h"
#include "host/plugin/LegatoChannel.h"
#include "host/plugin/PluginInstance.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>

namespace quorlin::host {

namespace {

bool byTick(const MidiEvent& left, const MidiEvent& right) {
    return left.tick < right.tick;
}

bool isOn(std::uint16_t channels, std::uint8_t channel) {
    return ((channels >> channel) & 1u) != 0;
}

// A controller of the portamento, which Quorlin itself sends.
bool isPortamentoController(const MidiEvent& event) {
    return event.command() == midi::statusController &&
           (event.data1 == midi::controllerPortamentoTime ||
            event.data1 == midi::controllerPortamento);
}

// One channel played by a plug-in instance of the library, through its tables: what the
// instance sends reaches `out` through the host's event services.
class PluginChannel final : public ChannelPlayer {
public:
    PluginChannel(InterfacePointer<ModuleInterface> module, HostServicesContext& context,
                  EventServices& eventServices, std::uint8_t number,
                  const std::optional<std::string>& speed)
        : instance(std::move(module), context), services(eventServices), channel(number) {
        if (speed) {
            instance.setParameterText(MidiProcessor::speedParameter, *speed);
        }
        instance.start();
    }

    void processTime(std::uint32_t tick, std::vector<MidiEvent>& out) override {
        services.direct(&out, tick, channel);
        instance.processTime(static_cast<std::int32_t>(tick));
    }
    void processEvent(const MidiEvent& event, std::int32_t length,
                      std::vector<MidiEvent>& out) override {
        services.direct(&out, event.tick, channel);
        HostMidiEvent incoming = EventServices::incoming(event, length);
        instance.processEvent(EventServices::handleOf(&incoming));
    }
    void stop(std::uint32_t tick, std::vector<MidiEvent>& out) override {
        services.direct(&out, tick, channel);
        instance.stop();
    }

private:
    PluginInstance instance;
    EventServices& services;
    std::uint8_t channel;
};

} // namespace

MidiProcessor::MidiProcessor(ModuleSource source, std::optional<std::string> speedText,
                             EventLog* eventLog, ChannelChoice channelChoice,
                             PlayingOptions playingOptions)
    : createModule(std::move(source)), speed(std::move(speedText)), log(eventLog),
      choice(std::move(channelChoice)), playing(playingOptions) {}

std::uint16_t MidiProcessor::noteChannels(const MidiTrack& track) {
    std::uint16_t channels = 0;
    for (const MidiEvent& event : track.events) {
        if (event.isNote()) {
            channels = static_cast<std::uint16_t>(channels | (1u << event.channel()));
        }
    }
    return channels;
}

MidiFile MidiProcessor::process(const MidiFile& file) {
    MidiFile result;
    result.format = file.format;
    result.division = file.division;
    result.tracks.reserve(file.tracks.size());
    processed.assign(file.tracks.size(), 0);
    portamentoControllers = 0;
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        const MidiTrack& track = file.tracks[i];
        std::uint16_t channels = 0;
        std::uint16_t withNotes = noteChannels(track);
        for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
            if (isOn(withNotes, channel) && choice.includes(i + 1, channel)) {
                channels = static_cast<std::uint16_t>(channels | (1u << channel));
            }
        }
        processed[i] = channels;
        if (channels != 0) {
            result.tracks.push_back(processTrack(file, i, channels));
        } else {
            result.tracks.push_back(track);
        }
    }
    return result;
}

MidiTrack MidiProcessor::processTrack(const MidiFile& file, std::size_t index,
                                      std::uint16_t channels) {
    const MidiTrack& track = file.tracks[index];
    std::size_t trackNumber = index + 1;
    const std::vector<MidiEvent>& events = track.events;
    std::vector<std::int32_t> lengths = noteLengths(track);

    MidiTrack result;
    // Every note-on gains a controller in front of it.
    result.events.reserve(events.size() + events.size() / 2 + 1);
    std::vector<MidiEvent>& out = result.events;

    std::optional<TempoMap> tempo;
    std::array<std::unique_ptr<ChannelPlayer>, midi::channelCount> instances;
    for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
        if (!isOn(channels, channel)) {
            continue;
        }
        if (playing.needsCore()) {
            if (!tempo) {
                tempo.emplace(file, index);
            }
            instances[channel] = std::make_unique<LegatoChannel>(channel, speed, playing, *tempo);
        } else {
            instances[channel] =
                std::make_unique<PluginChannel>(createModule(), context, services, channel, speed);
        }
    }
    auto instanceFor = [&](const MidiEvent& event) -> ChannelPlayer* {
        return event.isChannelMessage() ? instances[event.channel()].get() : nullptr;
    };

    std::size_t next = 0;
    while (next < events.size()) {
        std::uint32_t tick = events[next].tick;
        std::size_t tickEnd = next;
        while (tickEnd < events.size() && events[tickEnd].tick == tick) {
            ++tickEnd;
        }
        // A position call for each instance with events here, in the order the channels first
        // appear at this tick.
        std::uint16_t positioned = 0;
        for (std::size_t i = next; i < tickEnd; ++i) {
            ChannelPlayer* instance = instanceFor(events[i]);
            std::uint8_t channel = events[i].channel();
            if (instance == nullptr || isOn(positioned, channel)) {
                continue;
            }
            positioned = static_cast<std::uint16_t>(positioned | (1u << channel));
            std::size_t before = out.size();
            instance->processTime(tick, out);
            if (log != nullptr && out.size() > before) {
                log->add({tick, trackNumber, std::nullopt, {out.begin() + before, out.end()}});
            }
        }
        for (; next < tickEnd; ++next) {
            const MidiEvent& event = events[next];
            std::size_t before = out.size();
            ChannelPlayer* instance = instanceFor(event);
            if (instance != nullptr && isPortamentoController(event)) {
                // The input's own portamento controllers: left out on request, else counted.
                ++portamentoControllers;
                if (!playing.replaceControllers) {
                    instance->processEvent(event, lengths[next], out);
                }
            } else if (instance != nullptr) {
                instance->processEvent(event, lengths[next], out);
            } else {
                out.push_back(event);
            }
            if (log != nullptr) {
                log->add({tick, trackNumber, event, {out.begin() + before, out.end()}});
            }
        }
    }
    // Anything sent while stopping belongs to the last tick.
    std::uint32_t lastTick = events.empty() ? 0 : events.back().tick;
    for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
        if (instances[channel]) {
            instances[channel]->stop(lastTick, out);
            instances[channel].reset();
        }
    }
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
