#include "host/plugin/MidiProcessor.h"

#include "host/midi/NoteLengths.h"
#include "host/midi/TempoMap.h"
#include "host/plugin/BankChannel.h"
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

// A track held as events.
class HeldTrack {
public:
    explicit HeldTrack(const MidiTrack& events) : track(events) {}
    template <class Visit> void forEach(Visit&& visit) const {
        for (const MidiEvent& event : track.events) {
            visit(event);
        }
    }
    std::uint32_t endTick() const { return track.endTick; }

private:
    const MidiTrack& track;
};

// A track read from the file's bytes at every pass over it.
class ReadTrack {
public:
    ReadTrack(const MidiFileView& view, std::size_t index) : file(view), trackIndex(index) {}
    template <class Visit> void forEach(Visit&& visit) const {
        TrackCursor cursor = file.track(trackIndex);
        MidiEvent event;
        while (cursor.next(event)) {
            visit(event);
        }
    }
    std::uint32_t endTick() const { return file.endTick(trackIndex); }

private:
    const MidiFileView& file;
    std::size_t trackIndex;
};

// Results collected into a track, sorted by tick when it ends.
class HeldSink {
public:
    explicit HeldSink(std::size_t expectedEvents) { track.events.reserve(expectedEvents); }
    void add(const MidiEvent& event) { track.events.push_back(event); }
    void endTrack(std::uint32_t endTick) {
        // Events the plug-in placed at another position move there; equal ticks keep their
        // order.
        std::vector<MidiEvent>& out = track.events;
        if (!std::is_sorted(out.begin(), out.end(), byTick)) {
            std::stable_sort(out.begin(), out.end(), byTick);
        }
        track.endTick = endTick;
    }
    MidiTrack track;
};

// Results written out as they come; the writer sorts a track that needs it.
class WrittenSink {
public:
    explicit WrittenSink(MidiFileWriter& out) : writer(out) {}
    void add(const MidiEvent& event) { writer.add(event); }
    void endTrack(std::uint32_t endTick) { writer.endTrack(endTick); }

private:
    MidiFileWriter& writer;
};

// Only the tempo and time signature events of each track: all a tempo map reads.
MidiFile conductorOf(const MidiFileView& view) {
    MidiFile file;
    file.format = view.format();
    file.division = view.division();
    file.tracks.resize(view.trackCount());
    for (std::size_t i = 0; i < view.trackCount(); ++i) {
        ReadTrack(view, i).forEach([&](const MidiEvent& event) {
            if (event.isMeta() && (event.metaType() == MidiEvent::tempoType ||
                                   event.metaType() == midi::metaTimeSignature)) {
                file.tracks[i].events.push_back(event);
            }
        });
    }
    return file;
}

} // namespace

MidiProcessor::MidiProcessor(ModuleSource source, std::optional<std::string> speedText,
                             EventLog* eventLog, ChannelChoice channelChoice,
                             PlayingOptions playingOptions)
    : createModule(std::move(source)), speed(std::move(speedText)), log(eventLog),
      choice(std::move(channelChoice)), playing(playingOptions) {}

template <class Track>
std::uint16_t MidiProcessor::chooseChannels(const Track& track, std::size_t index) {
    std::uint16_t withNotes = 0;
    track.forEach([&](const MidiEvent& event) {
        if (event.isNote()) {
            withNotes = static_cast<std::uint16_t>(withNotes | (1u << event.channel()));
        }
    });
    std::uint16_t channels = 0;
    for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
        if (isOn(withNotes, channel) && choice.includes(index + 1, channel)) {
            channels = static_cast<std::uint16_t>(channels | (1u << channel));
        }
    }
    processed[index] = channels;
    return channels;
}

MidiFile MidiProcessor::process(const MidiFile& file) {
    tempo.reset();
    MidiFile result;
    result.format = file.format;
    result.division = file.division;
    result.tracks.reserve(file.tracks.size());
    processed.assign(file.tracks.size(), 0);
    portamentoControllers = 0;
    for (std::size_t i = 0; i < file.tracks.size(); ++i) {
        const MidiTrack& track = file.tracks[i];
        std::uint16_t channels = chooseChannels(HeldTrack(track), i);
        if (channels != 0) {
            // Every note-on gains a controller in front of it.
            HeldSink sink(track.events.size() + track.events.size() / 2 + 1);
            processTrack(HeldTrack(track), file, i, channels, sink);
            result.tracks.push_back(std::move(sink.track));
        } else {
            result.tracks.push_back(track);
        }
    }
    return result;
}

void MidiProcessor::process(const MidiFileView& file, MidiFileWriter& out) {
    processed.assign(file.trackCount(), 0);
    tempo.reset();
    portamentoControllers = 0;
    MidiFile conductor;
    if (playing.needsCore()) {
        conductor = conductorOf(file);
    }
    for (std::size_t i = 0; i < file.trackCount(); ++i) {
        ReadTrack track(file, i);
        std::uint16_t channels = chooseChannels(track, i);
        out.beginTrack();
        if (channels != 0) {
            WrittenSink sink(out);
            processTrack(track, conductor, i, channels, sink);
        } else {
            track.forEach([&out](const MidiEvent& event) { out.add(event); });
            out.endTrack(track.endTick());
        }
    }
}

const TempoMap& MidiProcessor::tempoOf(const MidiFile& tempoSource, std::size_t index) {
    // Made once, not once a track: a map reads every track's tempo changes.
    if (!tempo || tempoSource.format == 2) {
        tempo.emplace(tempoSource, index);
    }
    return *tempo;
}

template <class Track, class Sink>
void MidiProcessor::processTrack(const Track& track, const MidiFile& tempoSource, std::size_t index,
                                 std::uint16_t channels, Sink& sink) {
    std::size_t trackNumber = index + 1;
    std::vector<std::int32_t> lengths;
    {
        NoteLengths notes;
        track.forEach([&notes](const MidiEvent& event) { notes.add(event); });
        lengths = notes.finish();
    }

    const TempoMap* tempoMap = nullptr;
    std::unique_ptr<ChannelBank> bank;
    if (playing.needsCore()) {
        tempoMap = &tempoOf(tempoSource, index);
        bank = std::make_unique<ChannelBank>();
        BankChannel::prepare(*bank, speed, playing);
    }
    std::array<std::unique_ptr<ChannelPlayer>, midi::channelCount> instances;
    for (std::uint8_t channel = 0; channel < midi::channelCount; ++channel) {
        if (!isOn(channels, channel)) {
            continue;
        }
        if (bank) {
            instances[channel] = std::make_unique<BankChannel>(*bank, channel, *tempoMap);
        } else {
            instances[channel] =
                std::make_unique<PluginChannel>(createModule(), context, services, channel, speed);
        }
    }
    auto instanceFor = [&](const MidiEvent& event) -> ChannelPlayer* {
        return event.isChannelMessage() ? instances[event.channel()].get() : nullptr;
    };

    // The events of one tick, and what they and the position calls before them gave.
    std::vector<MidiEvent> events;
    std::vector<MidiEvent> out;
    std::uint32_t lastTick = 0;
    std::uint32_t endTick = track.endTick();
    std::size_t noteOn = 0;
    auto deliver = [&] {
        for (const MidiEvent& event : out) {
            endTick = std::max(endTick, event.tick);
            sink.add(event);
        }
        out.clear();
    };
    auto play = [&] {
        std::uint32_t tick = events.front().tick;
        lastTick = tick;
        // A position call for each instance with events here, in the order the channels first
        // appear at this tick.
        std::uint16_t positioned = 0;
        for (const MidiEvent& event : events) {
            ChannelPlayer* instance = instanceFor(event);
            std::uint8_t channel = event.channel();
            if (instance == nullptr || isOn(positioned, channel)) {
                continue;
            }
            positioned = static_cast<std::uint16_t>(positioned | (1u << channel));
            std::size_t before = out.size();
            instance->processTime(tick, out);
            if (log != nullptr && out.size() > before) {
                log->add({tick,
                          trackNumber,
                          std::nullopt,
                          {out.begin() + static_cast<std::ptrdiff_t>(before), out.end()}});
            }
        }
        for (const MidiEvent& event : events) {
            std::int32_t length = event.isNoteOn() ? lengths[noteOn++] : 0;
            std::size_t before = out.size();
            ChannelPlayer* instance = instanceFor(event);
            if (instance != nullptr && isPortamentoController(event)) {
                // The input's own portamento controllers: left out on request, else counted.
                ++portamentoControllers;
                if (!playing.replaceControllers) {
                    instance->processEvent(event, length, out);
                }
            } else if (instance != nullptr) {
                instance->processEvent(event, length, out);
            } else {
                out.push_back(event);
            }
            if (log != nullptr) {
                log->add({tick,
                          trackNumber,
                          event,
                          {out.begin() + static_cast<std::ptrdiff_t>(before), out.end()}});
            }
        }
        events.clear();
        deliver();
    };
    track.forEach([&](const MidiEvent& event) {
        if (!events.empty() && event.tick != events.front().tick) {
            play();
        }
        events.push_back(event);
    });
    if (!events.empty()) {
        play();
    }
    // Anything sent while stopping belongs to the last tick.
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
    deliver();
    sink.endTrack(endTick);
}

} // namespace quorlin::host
