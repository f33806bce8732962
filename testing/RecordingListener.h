#pragma once

#include "CountedReferences.h"
#include "component/ParameterInterface.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quorlin::testing {

// A host object registered for a parameter's change reports. Records each report with the
// value it read at that moment; `onChanged` runs inside the call, for re-entrancy tests.
class RecordingListener final : public ParameterListenerInterface, public CountedReferences {
public:
    struct Report {
        ParameterInterface* parameter;
        std::int32_t tag;
        std::int32_t value;
    };

    bool answersListenerId = true;
    std::vector<Report> reports;
    std::function<void(ParameterInterface*, std::int32_t)> onChanged;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return countAddRef(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return countRelease(); }
    ResultCode QUORLIN_CALL unusedSlot4() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                             std::int32_t tag) noexcept override;
};

} // namespace quorlin::testing
