#pragma once

#include "HostMidiServices.h"
#include "HostReferenceCount.h"
#include "InterfaceId.h"

#include <cstring>

namespace quorlin {

// Event services with a neutral answer at every place, for hosts of the module: a host derives
// from it and overrides only what it serves. Reads answer 0, operations answer resultFalse
// (declined), createEvent answers null, setHostOption accepts. The object answers
// UnknownInterfaceId and HostMidiServicesId with itself; its count never destroys it.
class HostMidiServicesBase : public HostMidiServices {
public:
    HostMidiServicesBase() = default;
    HostMidiServicesBase(const HostMidiServicesBase&) = delete;
    HostMidiServicesBase& operator=(const HostMidiServicesBase&) = delete;

    std::int32_t references() const noexcept { return referenceCount.value(); }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override {
        if (out == nullptr) {
            return resultInvalidArgument;
        }
        if (iid != nullptr && (std::memcmp(iid, UnknownInterfaceId.data(), 16) == 0 ||
                               std::memcmp(iid, HostMidiServicesId.data(), 16) == 0)) {
            AddRef();
            *out = static_cast<HostMidiServices*>(this);
            return resultOk;
        }
        *out = nullptr;
        return resultNoInterface;
    }
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return referenceCount.add(); }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return referenceCount.drop(); }

    HostEvent* QUORLIN_CALL createEvent(std::int32_t, std::int32_t, std::int32_t,
                                        std::int32_t) noexcept override {
        return nullptr;
    }
    ResultCode QUORLIN_CALL unusedSlot5() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot6() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL releaseEvent(HostEvent*) noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL outputEvent(HostEvent*) noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL forwardEvent(HostEvent*) noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL setPosition(HostEvent*, std::int32_t) noexcept override {
        return resultFalse;
    }
    std::int32_t QUORLIN_CALL getPosition(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL unusedSlot12() noexcept override { return resultFalse; }
    std::int32_t QUORLIN_CALL getLength(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL setImmediate(HostEvent*, std::int32_t) noexcept override {
        return resultFalse;
    }
    std::int32_t QUORLIN_CALL isImmediate(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL unusedSlot16() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot17() noexcept override { return resultFalse; }
    std::int32_t QUORLIN_CALL getStatus(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL unusedSlot19() noexcept override { return resultFalse; }
    std::int32_t QUORLIN_CALL getData1(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL unusedSlot21() noexcept override { return resultFalse; }
    std::int32_t QUORLIN_CALL getData2(HostEvent*) noexcept override { return 0; }
    ResultCode QUORLIN_CALL unusedSlot23() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot24() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot25() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot26() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot27() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot28() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot29() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot30() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot31() noexcept override { return resultFalse; }
    ResultCode QUORLIN_CALL setHostOption(std::int32_t) noexcept override { return resultOk; }

protected:
    ~HostMidiServicesBase() = default;

    HostReferenceCount referenceCount;
};

} // namespace quorlin
