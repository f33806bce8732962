#pragma once

#include "MinimalHostServices.h"
#include "component/HostContext.h"
#include "component/HostReferenceCount.h"

namespace quorlin::bench {

// The context handed to initialize: it answers with the minimal services and nothing else.
class MinimalHostContext final : public HostContext {
public:
    explicit MinimalHostContext(MinimalHostServices& services) : services(services) {}

    std::int32_t references() const { return referenceCount.value(); }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

private:
    MinimalHostServices& services;
    HostReferenceCount referenceCount;
};

} // namespace quorlin::bench
