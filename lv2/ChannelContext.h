#pragma once

#include "component/HostContext.h"
#include "component/HostReferenceCount.h"
#include "lv2/ChannelServices.h"

namespace quorlin::lv2 {

// The context one channel's module instance is initialized with: it hands out that channel's
// event services. Both belong to the plug-in and outlive the instance.
class ChannelContext final : public HostContext {
public:
    explicit ChannelContext(ChannelServices& services) : services(services) {}
    ChannelContext(const ChannelContext&) = delete;
    ChannelContext& operator=(const ChannelContext&) = delete;
    ~ChannelContext() = default;

    std::int32_t references() const noexcept { return referenceCount.value(); }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return referenceCount.add(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return referenceCount.drop(); }

private:
    ChannelServices& services;
    HostReferenceCount referenceCount;
};

} // namespace quorlin::lv2
