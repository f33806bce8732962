#pragma once

#include "HostContext.h"
#include "HostMidiServices.h"
#include "HostReferenceCount.h"
#include "InterfaceId.h"

#include <cstring>

namespace quorlin {

// The context a host initializes an instance with: it answers UnknownInterfaceId with itself and
// HostMidiServicesId with the host's event services (which count that reference). Like the
// services it belongs to the host and outlives every instance, so its count never destroys it.
class HostServicesContext final : public HostContext {
public:
    explicit HostServicesContext(HostMidiServices& answered) noexcept : services(answered) {}
    HostServicesContext(const HostServicesContext&) = delete;
    HostServicesContext& operator=(const HostServicesContext&) = delete;
    ~HostServicesContext() = default;

    std::int32_t references() const noexcept { return referenceCount.value(); }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override {
        if (out == nullptr) {
            return resultInvalidArgument;
        }
        if (sameId(iid, UnknownInterfaceId)) {
            AddRef();
            *out = static_cast<HostContext*>(this);
            return resultOk;
        }
        if (sameId(iid, HostMidiServicesId)) {
            return services.QueryInterface(iid, out);
        }
        *out = nullptr;
        return resultNoInterface;
    }
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return referenceCount.add(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return referenceCount.drop(); }

private:
    // Compared in place, so that hosts need only the headers of component/.
    static bool sameId(const InterfaceIdBytes* requested, const InterfaceId& known) noexcept {
        return requested != nullptr && std::memcmp(requested->bytes, known.data(), 16) == 0;
    }

    HostMidiServices& services;
    HostReferenceCount referenceCount;
};

} // namespace quorlin
