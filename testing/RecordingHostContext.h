#pragma once

#include "CountedReferences.h"
#include "RecordingHostMidiServices.h"
#include "component/HostContext.h"

namespace quorlin::testing {

// The context a host hands to initialize. It answers HostMidiServicesId with `services` unless
// told to refuse.
class RecordingHostContext final : public HostContext, public CountedReferences {
public:
    explicit RecordingHostContext(RecordingHostMidiServices& answered) : services(answered) {}

    bool answersServices = true;
    int queries = 0;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return countAddRef(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return countRelease(); }

private:
    RecordingHostMidiServices& services;
};

} // namespace quorlin::testing
