#include "host/plugin/PluginHostContext.h"

#include "host/plugin/InterfacePointer.h"

namespace quorlin::host {

ResultCode PluginHostContext::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    if (sameInterfaceId(iid, UnknownInterfaceId)) {
        AddRef();
        *out = static_cast<HostContext*>(this);
        return resultOk;
    }
    if (sameInterfaceId(iid, HostMidiServicesId)) {
        return services.QueryInterface(iid, out);
    }
    *out = nullptr;
    return resultNoInterface;
}

} // namespace quorlin::host
