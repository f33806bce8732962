#include "MinimalHostContext.h"

namespace quorlin::bench {

ResultCode MinimalHostContext::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    if (HostMidiServicesId.matches(iid)) {
        return services.QueryInterface(iid, out);
    }
    *out = nullptr;
    return resultNoInterface;
}

std::uint32_t MinimalHostContext::AddRef() noexcept {
    return referenceCount.add();
}

std::uint32_t MinimalHostContext::Release() noexcept {
    return referenceCount.drop();
}

} // namespace quorlin::bench
