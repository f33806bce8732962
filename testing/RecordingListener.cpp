#include "RecordingListener.h"

namespace quorlin::testing {

ResultCode RecordingListener::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    if (answersListenerId &&
        (ParameterListenerInterfaceId.matches(iid) || UnknownInterfaceId.matches(iid))) {
        AddRef();
        *out = static_cast<ParameterListenerInterface*>(this);
        return resultOk;
    }
    *out = nullptr;
    return resultNoInterface;
}

ResultCode RecordingListener::parameterChanged(ParameterInterface* parameter,
                                               std::int32_t tag) noexcept {
    reports.push_back({parameter, tag, parameter->getValue()});
    if (onChanged) {
        onChanged(parameter, tag);
    }
    return resultOk;
}

} // namespace quorlin::testing
