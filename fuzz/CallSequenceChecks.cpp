// The comparisons of the library against the model: each call's answer and sends, and the
// invariants that hold between any two steps.

#include "CallSequence.h"
#include "CallSequenceInput.h"

#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"

#include <algorithm>
#include <iterator>

namespace quorlin::reliability {

using testing::RecordingHostMidiServices;
using testing::SentEvent;

void CallSequence::expect(bool holds, const std::string& what) {
    if (!holds) {
        throw Mismatch(what);
    }
}

void CallSequence::reportSends(const std::string& what, const ExpectedCall& expected,
                               const RecordingHostMidiServices& services) {
    std::string listing;
    for (const SentEvent& event : services.sent) {
        listing += "\n  sent " + describe(observed(event));
    }
    for (const ExpectedSend& send : expected.sends) {
        listing += "\n  expected " + describe(send);
    }
    throw Mismatch(what + listing);
}

void CallSequence::compareCall(Instance& instance, std::int32_t result,
                               const ExpectedCall& expected, const char* call) {
    expect(result == expected.result, std::string(call) + " answered " + std::to_string(result) +
                                          ", expected " + std::to_string(expected.result));
    const std::vector<SentEvent>& sent = instance.services->sent;
    if (sent.size() != expected.sends.size()) {
        reportSends(std::string(call) + " sent " + std::to_string(sent.size()) +
                        " events, expected " + std::to_string(expected.sends.size()),
                    expected, *instance.services);
    }
    for (std::size_t i = 0; i < sent.size(); ++i) {
        if (!(observed(sent[i]) == expected.sends[i])) {
            reportSends(std::string(call) + " event " + std::to_string(i) + " differs", expected,
                        *instance.services);
        }
    }
    instance.services->clearLog();
}

void CallSequence::checkInvariants() {
    for (const Instance& instance : instances) {
        const RecordingHostMidiServices& services = *instance.services;
        const ReferenceInstance& expected = model.instance(instance.model);
        std::int32_t held = expected.connected() ? 2 : 1;
        expect(services.references() == held, "HostMidiServices count " +
                                                  std::to_string(services.references()) +
                                                  ", expected " + std::to_string(held));
        expect(instance.context->references() == held,
               "HostContext count " + std::to_string(instance.context->references()) +
                   ", expected " + std::to_string(held));
        expect(services.eventsCreated == services.eventsReleased,
               "created events not released: " + std::to_string(services.eventsCreated) + " vs " +
                   std::to_string(services.eventsReleased));
        expect(services.hostOptionCalls == expected.successfulInitializes(),
               "setHostOption calls " + std::to_string(services.hostOptionCalls));
        expect(services.sent.empty(), "an event went out outside the event and time calls");
    }
    expect(changeTimerStartCount() == model.timerUses(),
           "timer uses " + std::to_string(changeTimerStartCount()) + ", expected " +
               std::to_string(model.timerUses()));
    expect(static_cast<std::size_t>(parameterRegistry().count()) == model.liveParameters(),
           "live parameters " + std::to_string(parameterRegistry().count()) + ", expected " +
               std::to_string(model.liveParameters()));
    for (int listener = 0; listener < answeringListeners; ++listener) {
        expect(listeners[static_cast<std::size_t>(listener)].references() ==
                   1 + model.registrations(listener),
               "listener " + std::to_string(listener) + " holds " +
                   std::to_string(listeners[static_cast<std::size_t>(listener)].references()) +
                   " references, expected " + std::to_string(1 + model.registrations(listener)));
    }
    expect(listeners[answeringListeners].references() == 1, "a refused listener was kept");
    for (std::size_t id = 0; id < parameters.size(); ++id) {
        if (parameters[id] == nullptr || !model.parameterAlive(static_cast<int>(id))) {
            continue;
        }
        const ReferenceParameter& expected = model.parameter(static_cast<int>(id));
        expect(parameters[id]->getValue() == expected.value(),
               "parameter " + std::to_string(id) + " value " +
                   std::to_string(parameters[id]->getValue()) + ", expected " +
                   std::to_string(expected.value()));
        expect(Parameter::fromInterface(parameters[id])->isPending() == expected.owesListeners(),
               "parameter " + std::to_string(id) + " pending flag differs");
    }
}

} // namespace quorlin::reliability
