#pragma once

#include "FakeEvent.h"
#include "component/HostEventServices.h"

#include <deque>
#include <string>
#include <vector>

namespace quorlin::testing {

// A host's event services that logs every call it serves in order and counts references and
// events. Field reads and writes are the shared ones, logged; the places the module never calls
// keep the neutral answers.
class RecordingHostMidiServices final : public HostEventServices<FakeEvent> {
public:
    RecordingHostMidiServices() = default;
    RecordingHostMidiServices(const RecordingHostMidiServices&) = delete;
    RecordingHostMidiServices& operator=(const RecordingHostMidiServices&) = delete;

    // An incoming event owned by the host.
    HostEvent* makeEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                         std::int32_t position = 0, std::int32_t length = 0,
                         std::int32_t immediate = 0);
    FakeEvent& event(HostEvent* handle) { return *FakeEvent::from(handle); }

    // Released module events are reused from then on, so creating one costs no allocation.
    void recycleEvents(std::size_t capacity) {
        freeEvents.reserve(capacity);
        recycling = true;
    }

    // Turns the call log and the list of sent events off, for allocation counting.
    void setRecording(bool on) { recording = on; }
    void clearLog() {
        calls.clear();
        sent.clear();
    }

    std::vector<std::string> calls;
    std::vector<SentEvent> sent;

    ResultCode outputResult = 0;
    ResultCode forwardResult = 0;
    bool createEventYieldsNull = false;

    int queries = 0;
    int addRefs = 0;
    int releases = 0;
    int eventsCreated = 0;
    int eventsReleased = 0;
    int hostOptionCalls = 0;

    // QueryInterface, AddRef, Release
    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

    HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t fourth) noexcept override;
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL setPosition(HostEvent* event, std::int32_t position) noexcept override;
    std::int32_t QUORLIN_CALL getPosition(HostEvent* event) noexcept override;
    std::int32_t QUORLIN_CALL getLength(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) noexcept override;
    std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) noexcept override;
    std::int32_t QUORLIN_CALL getStatus(HostEvent* event) noexcept override;
    std::int32_t QUORLIN_CALL getData1(HostEvent* event) noexcept override;
    std::int32_t QUORLIN_CALL getData2(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL setHostOption(std::int32_t option) noexcept override;

private:
    void log(const std::string& entry);
    // Logs a read of one field of the event and answers what was read.
    std::int32_t loggedRead(HostEvent* handle, const char* operation, std::int32_t value);
    // Logs a write of one field of the event and answers the write's result.
    ResultCode loggedWrite(HostEvent* handle, const char* operation, std::int32_t value,
                           ResultCode result);
    ResultCode send(HostEvent* event, const char* path, ResultCode result);

    bool recording = true;
    bool recycling = false;
    std::vector<FakeEvent*> freeEvents;
    int nextEventId = 1;
    std::deque<FakeEvent> events;
};

} // namespace quorlin::testing
