#pragma once

#include "component/HostMidiServices.h"
#include "host/HostEvent.h"
#include "host/MidiEvent.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace quorlin::host {

// The host's event services. Events a plug-in sends are appended, as MIDI events, to the sink
// that the caller directs them to before each call into the plug-in; events the plug-in creates
// go out on the channel given with that direction. Operations the host does not offer decline.
// The object lives on the host's side for as long as any plug-in may call it, so its reference
// count is kept but never destroys it.
class EventServices final : public HostMidiServices {
public:
    EventServices() = default;
    EventServices(const EventServices&) = delete;
    EventServices& operator=(const EventServices&) = delete;
    ~EventServices() = default;

    // The event handed to processEvent for a channel message of a file.
    static HostEvent incoming(const MidiEvent& message, std::int32_t length);

    // Sends during the following calls go to `sink`; events without a usable position happen at
    // `tick`, and created events take `channel`. A null sink refuses every send.
    void direct(std::vector<MidiEvent>* sink, std::uint32_t tick, std::uint8_t channel);

    std::int32_t references() const { return referenceCount; }
    // Events the plug-in created and has not released yet.
    std::size_t eventsInUse() const { return created.size() - spare.size(); }
    // Memory ran out inside a call from the plug-in. Nothing may be thrown across the plug-in's
    // frames, so the call failed quietly and the caller has to ask.
    bool ranOutOfMemory() const { return outOfMemory; }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid, void** out) override;
    std::uint32_t QUORLIN_CALL AddRef() override;
    std::uint32_t QUORLIN_CALL Release() override;

    HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t fourth) override;
    ResultCode QUORLIN_CALL unusedSlot5() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot6() override { return resultFalse; }
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) override;
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) override;
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) override;
    ResultCode QUORLIN_CALL setPosition(HostEvent* event, std::int32_t position) override;
    std::int32_t QUORLIN_CALL getPosition(HostEvent* event) override;
    ResultCode QUORLIN_CALL unusedSlot12() override { return resultFalse; }
    std::int32_t QUORLIN_CALL getLength(HostEvent* event) override;
    ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) override;
    std::int32_t QUORLIN_CALL isImmediate(HostEvent* event) override;
    ResultCode QUORLIN_CALL unusedSlot16() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot17() override { return resultFalse; }
    std::int32_t QUORLIN_CALL getStatus(HostEvent* event) override;
    ResultCode QUORLIN_CALL unusedSlot19() override { return resultFalse; }
    std::int32_t QUORLIN_CALL getData1(HostEvent* event) override;
    ResultCode QUORLIN_CALL unusedSlot21() override { return resultFalse; }
    std::int32_t QUORLIN_CALL getData2(HostEvent* event) override;
    ResultCode QUORLIN_CALL unusedSlot23() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot24() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot25() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot26() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot27() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot28() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot29() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot30() override { return resultFalse; }
    ResultCode QUORLIN_CALL unusedSlot31() override { return resultFalse; }
    // The host has no options to set.
    ResultCode QUORLIN_CALL setHostOption(std::int32_t) override { return resultOk; }

private:
    ResultCode send(HostEvent* event);

    std::int32_t referenceCount = 1; // the host's own
    std::vector<MidiEvent>* sink = nullptr;
    std::uint32_t currentTick = 0;
    std::uint8_t currentChannel = 0;
    bool outOfMemory = false;
    // Created events keep their address until the services go; released ones are reused.
    std::deque<HostEvent> created;
    std::vector<HostEvent*> spare;
};

} // namespace quorlin::host
