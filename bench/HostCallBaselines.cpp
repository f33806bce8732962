#include "HostCallBaselines.h"
#include "legato/MidiProtocol.h"

namespace quorlin::bench {

namespace {

constexpr std::int32_t createEventFourth = -1;

// The six reads every incoming event costs; the sum keeps every result in use.
std::int32_t readAll(HostMidiServices& host, HostEvent* event) {
    std::int32_t status = host.getStatus(event);
    std::int32_t data1 = host.getData1(event);
    std::int32_t data2 = host.getData2(event);
    std::int32_t position = host.getPosition(event);
    std::int32_t length = host.getLength(event);
    std::int32_t immediate = host.isImmediate(event) & 0xFF;
    return status + data1 + data2 + position + length + immediate;
}

} // namespace

ResultCode passThroughCalls(HostMidiServices& host, HostEvent* event) {
    return readAll(host, event) == 0 ? resultFalse : host.forwardEvent(event);
}

ResultCode noteOnCalls(HostMidiServices& host, HostEvent* event, std::int32_t controllerValue) {
    if (readAll(host, event) == 0) {
        return resultFalse;
    }
    HostEvent* controller = host.createEvent(midi::statusController, midi::controllerPortamento,
                                             controllerValue, createEventFourth);
    host.setPosition(controller, host.getPosition(event));
    host.outputEvent(controller);
    host.releaseEvent(controller);
    return host.outputEvent(event);
}

ResultCode noteOffCalls(HostMidiServices& host, HostEvent* event) {
    return readAll(host, event) == 0 ? resultFalse : host.outputEvent(event);
}

void speedControllerCalls(HostMidiServices& host, std::int32_t position, std::int32_t value) {
    HostEvent* controller = host.createEvent(midi::statusController, midi::controllerPortamentoTime,
                                             value, createEventFourth);
    host.setPosition(controller, position);
    host.outputEvent(controller);
    host.releaseEvent(controller);
}

} // namespace quorlin::bench
