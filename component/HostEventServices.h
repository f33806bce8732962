#pragma once

#include "HostEventRecord.h"
#include "HostMidiServicesBase.h"

#include <type_traits>

namespace quorlin {

// Event services whose events are `Event` records (a HostEventRecord or a type derived from it)
// handed out as HostEvent handles: the reads and writes of the event's fields are served here, a
// null handle reads 0 and refuses writes. A host derives from it and serves creating, releasing
// and sending; every other place keeps HostMidiServicesBase's neutral answer. Header-only, so
// the field accesses stay plain loads and stores in the host's event path.
template <typename Event> class HostEventServices : public HostMidiServicesBase {
    static_assert(std::is_base_of_v<HostEventRecord, Event>);

public:
    // The handle the module is given for an event of this host, and the way back. A host whose
    // events are its own HostEvent type converts to the same type.
    static HostEvent* handleOf(Event* event) noexcept {
        return reinterpret_cast<HostEvent*>(event);
    }
    static Event* eventOf(HostEvent* handle) noexcept { return reinterpret_cast<Event*>(handle); }

    ResultCode QUORLIN_CALL setPosition(HostEvent* handle,
                                        std::int32_t position) noexcept override {
        return write(handle, &HostEventRecord::position, position);
    }
    std::int32_t QUORLIN_CALL getPosition(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::position);
    }
    std::int32_t QUORLIN_CALL getLength(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::length);
    }
    ResultCode QUORLIN_CALL setImmediate(HostEvent* handle, std::int32_t on) noexcept override {
        return write(handle, &HostEventRecord::immediate, on);
    }
    std::int32_t QUORLIN_CALL isImmediate(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::immediate);
    }
    std::int32_t QUORLIN_CALL getStatus(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::status);
    }
    std::int32_t QUORLIN_CALL getData1(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::data1);
    }
    std::int32_t QUORLIN_CALL getData2(HostEvent* handle) noexcept override {
        return read(handle, &HostEventRecord::data2);
    }

protected:
    HostEventServices() = default;
    ~HostEventServices() = default;

private:
    static std::int32_t read(HostEvent* handle, std::int32_t HostEventRecord::*field) noexcept {
        return handle == nullptr ? 0 : eventOf(handle)->*field;
    }
    static ResultCode write(HostEvent* handle, std::int32_t HostEventRecord::*field,
                            std::int32_t value) noexcept {
        if (handle == nullptr) {
            return resultInvalidArgument;
        }
        eventOf(handle)->*field = value;
        return resultOk;
    }
};

} // namespace quorlin
