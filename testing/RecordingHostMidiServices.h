#pragma once

#include "FakeEvent.h"
#include "component/HostMidiServices.h"

#include <deque>
#include <string>
#include <vector>

namespace quorlin::testing {

// A host's event services that logs every call in order and counts references and events.
class RecordingHostMidiServices final : public HostMidiServices {
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

    std::int32_t refCount = 1; // the test's own reference
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
    ResultCode QUORLIN_CALL unusedSlot5() noexcept override { return unused(5); }
    ResultCode QUORLIN_CALL unusedSlot6() noexcept override { return unused(6); }
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL setPosition(HostEvent* event, std::int32_t position) noexcept override;
    std::int32_t QUORLIN_CALL getPosition(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL unusedSlot12() noexcept override { return unused(12); }
    std::int32_t QUORLIN_CALL getLength(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) noexcept override;
    std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL unusedSlot16() noexcept override { return unused(16); }
    ResultCode QUORLIN_CALL unusedSlot17() noexcept override { return unused(17); }
    std::int32_t QUORLIN_CALL getStatus(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL unusedSlot19() noexcept override { return unused(19); }
    std::int32_t QUORLIN_CALL getData1(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL unusedSlot21() noexcept override { return unused(21); }
    std::int32_t QUORLIN_CALL getData2(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL unusedSlot23() noexcept override { return unused(23); }
    ResultCode QUORLIN_CALL unusedSlot24() noexcept override { return unused(24); }
    ResultCode QUORLIN_CALL unusedSlot25() noexcept override { return unused(25); }
    ResultCode QUORLIN_CALL unusedSlot26() noexcept override { return unused(26); }
    ResultCode QUORLIN_CALL unusedSlot27() noexcept override { return unused(27); }
    ResultCode QUORLIN_CALL unusedSlot28() noexcept override { return unused(28); }
    ResultCode QUORLIN_CALL unusedSlot29() noexcept override { return unused(29); }
    ResultCode QUORLIN_CALL unusedSlot30() noexcept override { return unused(30); }
    ResultCode QUORLIN_CALL unusedSlot31() noexcept override { return unused(31); }
    ResultCode QUORLIN_CALL setHostOption(std::int32_t option) noexcept override;

private:
    void log(const std::string& entry);
    ResultCode unused(int place);
    ResultCode send(HostEvent* event, const char* path, ResultCode result);

    bool recording = true;
    bool recycling = false;
    std::vector<FakeEvent*> freeEvents;
    int nextEventId = 1;
    std::deque<FakeEvent> events;
};

} // namespace quorlin::testing
