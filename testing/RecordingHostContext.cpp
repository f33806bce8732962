#include "RecordingHostContext.h"

namespace quorlin::testing {

ResultCode RecordingHostContext::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    ++queries;
    if (answersServices && HostMidiServicesId.matches(iid)) {
        services.AddRef();
        *out = static_cast<HostMidiServices*>(&services);
        return resultOk;
    }
    *out = nullptr;
    return resultNoInterface;
}

} // namespace quorlin::testing
