#pragma once

#include "component/HostReferenceCount.h"
#include "component/ParameterInterface.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace quorlin::testing {

// A listener playing host code that runs when a parameter lets go of it: `onRelease` runs
// once, when every reference but the test's own has been given back.
class ReleaseHookListener final : public ParameterListenerInterface {
public:
    int calls = 0;
    std::function<void()> onRelease;
    std::function<void(ParameterInterface*)> onChanged;

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override {
        if (ParameterListenerInterfaceId.matches(iid)) {
            AddRef();
            *out = static_cast<ParameterListenerInterface*>(this);
            return resultOk;
        }
        *out = nullptr;
        return resultNoInterface;
    }
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return referenceCount.add(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override {
        if (referenceCount.drop() == 1 && onRelease) {
            std::exchange(onRelease, nullptr)();
        }
        return static_cast<std::uint32_t>(referenceCount.value());
    }
    ResultCode QUORLIN_CALL unusedSlot4() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                             std::int32_t) noexcept override {
        ++calls;
        if (onChanged) {
            onChanged(parameter);
        }
        return resultOk;
    }

    std::int32_t references() const noexcept { return referenceCount.value(); }

private:
    HostReferenceCount referenceCount;
};

} // namespace quorlin::testing
