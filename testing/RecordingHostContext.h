#pragma once

#include "RecordingHostMidiServices.h"
#include "component/HostContext.h"

namespace quorlin::testing {

// The context a host hands to initialize. It answers HostMidiServicesId with `services` unless
// told to refuse.
class RecordingHostContext final : public HostContext {
public:
    explicit RecordingHostContext(RecordingHostMidiServices& services) : services(services) {}

    bool answersServices = true;
    std::int32_t refCount = 1; // the test's own reference
    int queries = 0;
    int addRefs = 0;
    int releases = 0;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

private:
    RecordingHostMidiServices& services;
};

} // namespace quorlin::testing
