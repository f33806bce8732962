#include "ReferenceInstance.h"
#include "legato/MidiProtocol.h"

#include <algorithm>
#include <limits>

namespace quorlin::reliability {

namespace {

constexpr std::int32_t immediatePosition = std::numeric_limits<std::int32_t>::min();

bool flagSet(std::int32_t immediate) {
    return (immediate & 0xFF) != 0;
}

} // namespace

ExpectedSend ReferenceInstance::sent(const ModelEvent& event, bool immediate) {
    // Immediate events go out through forwardEvent at the earliest position, flagged; others go
    // out through outputEvent as they came.
    return {immediate,
            event.status,
            event.data1,
            event.data2,
            immediate ? immediatePosition : event.position,
            immediate ? 1 : event.immediate,
            false};
}

void ReferenceInstance::press(std::int32_t note, std::int32_t position, std::int32_t length) {
    release(note);
    // The end wraps around in 32 bits like the host's positions.
    auto end = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) +
                                         static_cast<std::uint32_t>(length));
    keys.push_back({note, length > 0, end});
    // The note-on's position is the present: keys that ended at or before it are up.
    std::erase_if(keys, [position](const Key& key) { return key.ends && key.end <= position; });
}

void ReferenceInstance::release(std::int32_t note) {
    std::erase_if(keys, [note](const Key& key) { return key.note == note; });
}

ExpectedCall ReferenceInstance::processEvent(const ModelEvent& event, const HostBehaviour& host) {
    if (!isConnected) {
        return {notConnected, {}};
    }
    bool immediate = flagSet(event.immediate);
    std::int32_t pathResult = immediate ? host.forwardResult : host.outputResult;
    ExpectedCall call;
    if (event.status == midi::statusNoteOn && event.data2 != 0) {
        press(event.data1, event.position, event.length);
        if (!host.createYieldsNull) {
            std::int32_t value = keys.size() >= 2 ? midi::portamentoOn : midi::portamentoOff;
            ModelEvent controller{
                midi::statusController, midi::controllerPortamento, value, event.position, 0, 0};
            call.sends.push_back(sent(controller, immediate));
            call.sends.back().createdByModule = true;
        }
        call.sends.push_back(sent(event, immediate));
        call.result = pathResult;
    } else if (event.status == midi::statusNoteOn || event.status == midi::statusNoteOff) {
        release(event.data1);
        call.sends.push_back(sent(event, immediate));
        call.result = pathResult;
    } else {
        // All Sound Off, All Notes Off and the mode messages end every note.
        bool endsNotes = event.data1 == 120 || (event.data1 >= 123 && event.data1 <= 127);
        if (event.status == midi::statusController && endsNotes) {
            keys.clear();
        }
        // Everything else passes through untouched.
        call.sends.push_back(
            {true, event.status, event.data1, event.data2, event.position, event.immediate, false});
        call.result = host.forwardResult;
    }
    return call;
}

ExpectedCall ReferenceInstance::processTime(std::int32_t position, std::int32_t immediate,
                                            const HostBehaviour& host) {
    // Not connected: nothing can go out, and the controller stays due.
    if (!speedDue || !isConnected) {
        return {};
    }
    speedDue = false;
    ExpectedCall call;
    if (speed >= 0 && !host.createYieldsNull) {
        ModelEvent controller{
            midi::statusController, midi::controllerPortamentoTime, speed, position, 0, 0};
        call.sends.push_back(sent(controller, flagSet(immediate)));
        call.sends.back().createdByModule = true;
    }
    return call;
}

std::int32_t ReferenceInstance::initialize(ContextKind context) {
    if (context != ContextKind::answering) {
        return invalidArgument;
    }
    isConnected = true;
    ++initializes;
    return 0;
}

void ReferenceInstance::speedChanged(std::int32_t value) {
    speed = value;
    speedDue = true;
}

} // namespace quorlin::reliability
