#pragma once

#include "component/HostEventServices.h"
#include "host/midi/MidiEvent.h"
#include "host/plugin/HostMidiEvent.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace quorlin::host {

// The host's event services. Events a plug-in sends are appended, as MIDI events, to the sink
// that the caller directs them to before each call into the plug-in; events the plug-in creates
// go out on the channel given with that direction. The reads and writes of an event's fields are
// the shared ones; what the host does not offer keeps the neutral answer; the count never destroys
// the object, which outlives every plug-in.
class EventServices final : public HostEventServices<HostMidiEvent> {
public:
    EventServices() = default;
    ~EventServices() = default;

    // The event handed to processEvent for a channel message of a file.
    static HostMidiEvent incoming(const MidiEvent& message, std::int32_t length);

    // Sends during the following calls go to `sink`; events without a usable position happen at
    // `tick`, and created events take `channel`. A null sink refuses every send.
    void direct(std::vector<MidiEvent>* sink, std::uint32_t tick, std::uint8_t channel);

    // Events the plug-in created and has not released yet.
    std::size_t eventsInUse() const { return created.size() - spare.size(); }
    // Memory ran out inside a call from the plug-in. Nothing may be thrown across the plug-in's
    // frames, so the call failed quietly and the caller has to ask.
    bool ranOutOfMemory() const { return outOfMemory; }

    HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t fourth) noexcept override;
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept override;
    // The host plays everything it is given in order, so both ways out end in the same place.
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept override { return send(event); }
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept override { return send(event); }

private:
    ResultCode send(HostEvent* event);

    std::vector<MidiEvent>* sink = nullptr;
    std::uint32_t currentTick = 0;
    std::uint8_t currentChannel = 0;
    bool outOfMemory = false;
    // Created events keep their address until the services go; released ones are reused.
    std::deque<HostMidiEvent> created;
    std::vector<HostMidiEvent*> spare;
};

} // namespace quorlin::host
