#pragma once

#include "RecordingHostMidiServices.h"
#include "component/HostContext.h"
#include "component/HostReferenceCount.h"

namespace quorlin::testing {

// The context a host hands to initialize. It answers HostMidiServicesId with `services` unless
// told to refuse.
class RecordingHostContext final : public HostContext {
public:
    explicit RecordingHostContext(RecordingHostMidiServices& services) : services(services) {}

    bool answersServices = true;
    int queries = 0;
    int addRefs = 0;
    int releases = 0;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

    std::int32_t references() const noexcept { return referenceCount.value(); }

private:
    RecordingHostMidiServices& services;
    HostReferenceCount referenceCount;
};

} // namespace quorlin::testing
