#pragma once

#include "component/ModuleInterfaces.h"
#include "parameters/Parameter.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quorlin::testing {

// A module's owner interface as a parameter sees it: records every change report with what
// the parameter showed during the call. `onChanged` runs inside the call.
class FakeOwner final : public ParameterOwnerInterface {
public:
    struct Report {
        ParameterInterface* parameter;
        std::int32_t tag;
        std::int32_t value;
        bool pendingDuringCall;
    };

    std::vector<Report> reports;
    std::function<void(ParameterInterface*)> onChanged;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes*, void** out) noexcept override {
        *out = nullptr;
        return resultNoInterface;
    }
    // Lives on the test's stack; the parameter holds no reference to its owner.
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return 1; }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return 1; }
    ResultCode QUORLIN_CALL findParameter(const char*, ParameterInterface** out) noexcept override {
        *out = nullptr;
        return resultFalse;
    }
    ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                             std::int32_t tag) noexcept override {
        reports.push_back({parameter, tag, parameter->getValue(),
                           Parameter::fromInterface(parameter)->isPending()});
        if (onChanged) {
            onChanged(parameter);
        }
        return resultFalse;
    }
    std::int32_t QUORLIN_CALL getParameterCount() noexcept override { return 0; }
    ResultCode QUORLIN_CALL getParameterName(std::int32_t, char*) noexcept override {
        return resultFalse;
    }
    ResultCode QUORLIN_CALL getParameterByTag(std::int32_t,
                                              ParameterInterface** out) noexcept override {
        *out = nullptr;
        return resultFalse;
    }
};

} // namespace quorlin::testing
