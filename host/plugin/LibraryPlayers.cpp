#include "host/plugin/LibraryPlayers.h"

#include "host/plugin/PluginInstance.h"

#include <new>

namespace quorlin::host {

namespace {

// One channel played by a plug-in instance: what the instance sends reaches `out` through the
// host's event services, directed there before each call.
class PluginChannel final : public ChannelPlayer {
public:
    PluginChannel(InterfacePointer<ModuleInterface> module, HostServicesContext& context,
                  EventServices& eventServices, std::uint8_t number,
                  const std::optional<std::string>& speed)
        : instance(std::move(module), context), services(eventServices), channel(number) {
        if (speed) {
            instance.setParameterText(LibraryPlayers::speedParameter, *speed);
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

LibraryPlayers::LibraryPlayers(ModuleSource source, std::optional<std::string> speedText)
    : createModule(std::move(source)), speed(std::move(speedText)) {}

void LibraryPlayers::begin(const TempoMap&) {}

std::unique_ptr<ChannelPlayer> LibraryPlayers::make(std::uint8_t channel) {
    return std::make_unique<PluginChannel>(createModule(), context, services, channel, speed);
}

void LibraryPlayers::end() {
    services.direct(nullptr, 0, 0);
    if (services.ranOutOfMemory()) {
        throw std::bad_alloc();
    }
}

} // namespace quorlin::host
