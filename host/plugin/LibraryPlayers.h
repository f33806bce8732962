#pragma once

#include "component/HostServicesContext.h"
#include "component/ModuleInterfaces.h"
#include "host/plugin/ChannelPlayers.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/InterfacePointer.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlin::host {

// Channel players from the plug-in library, through its tables, as a sequencer drives it: each
// is a fresh instance from `createModule`, initialized with the host's context, its speed set
// when one is given, and started; what it sends reaches the processor through the host's event
// services. Stopped, it is terminated and its last reference given back.
class LibraryPlayers final : public ChannelPlayers {
public:
    using ModuleSource = std::function<InterfacePointer<ModuleInterface>()>;
    static constexpr const char* speedParameter = "portamentoSpeed";

    // `speed` as speedOf spells it, or none: the parameter's default.
    LibraryPlayers(ModuleSource createModule, std::optional<std::string> speed);

    void begin(const TempoMap& tempo) override;
    std::unique_ptr<ChannelPlayer> make(std::uint8_t channel) override;
    void end() override;

    // The host's objects, for checks that every reference came back.
    const EventServices& eventServices() const { return services; }
    const HostServicesContext& hostContext() const { return context; }

private:
    ModuleSource createModule;
    std::optional<std::string> speed;
    EventServices services;
    HostServicesContext context{services};
};

} // namespace quorlin::host
