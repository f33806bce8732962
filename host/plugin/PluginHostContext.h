#pragma once

#include "component/HostContext.h"
#include "component/HostReferenceCount.h"
#include "host/plugin/EventServices.h"

namespace quorlin::host {

// The context every instance is initialized with; it hands out the host's event services.
// Like the services it belongs to the host and outlives every instance, so Release never
// destroys it.
class PluginHostContext final : public HostContext {
public:
    explicit PluginHostContext(EventServices& services) : services(services) {}
    PluginHostContext(const PluginHostContext&) = delete;
    PluginHostContext& operator=(const PluginHostContext&) = delete;
    ~PluginHostContext() = default;

    std::int32_t references() const { return referenceCount.value(); }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return referenceCount.add(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return referenceCount.drop(); }

private:
    EventServices& services;
    HostReferenceCount referenceCount;
};

} // namespace quorlin::host
