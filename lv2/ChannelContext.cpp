#include "lv2/ChannelContext.h"

#include <cstring>

namespace quorlin::lv2 {

namespace {

bool sameId(const InterfaceIdBytes* requested, const InterfaceId& known) noexcept {
    return requested != nullptr && std::memcmp(requested->bytes, known.data(), 16) == 0;
}

} // namespace

ResultCode ChannelContext::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
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

} // namespace quorlin::lv2
