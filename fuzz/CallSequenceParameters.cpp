// The parameter calls and the listeners: values and text, listeners added and removed and what
// they do when told, the timer tick, and the parameter references the host holds.

#include "CallSequence.h"
#include "CallSequenceInput.h"

#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"

#include <algorithm>
#include <cstring>

namespace quorlin::reliability {

void CallSequence::setValue(ByteReader& in) {
    int id = pickParameter(in);
    if (id < 0) {
        return;
    }
    std::int32_t value = in.number();
    parameters[static_cast<std::size_t>(id)]->setValue(value);
    model.parameter(id).setValue(value);
}

void CallSequence::fromText(ByteReader& in) {
    int id = pickParameter(in);
    if (id < 0) {
        return;
    }
    std::string text = in.text();
    parameters[static_cast<std::size_t>(id)]->fromText(text.c_str());
    model.parameter(id).fromText(text.c_str());
    char shown[12];
    parameters[static_cast<std::size_t>(id)]->toText(shown);
    std::int32_t value = model.parameter(id).value();
    std::string expected = value == ReferenceParameter::off ? "Off" : std::to_string(value);
    expect(expected == shown, "toText gave '" + std::string(shown) + "', expected " + expected);
}

void CallSequence::changeListener(ByteReader& in) {
    int id = pickParameter(in);
    if (id < 0) {
        return;
    }
    bool adding = in.byte() % 2 == 0;
    int listener = in.byte() % (answeringListeners + 1);
    ParameterNotifierInterface* notifier = notifierOf(parameters[static_cast<std::size_t>(id)]);
    ResultCode result = adding ? notifier->addListener(listenerObject(listener))
                               : notifier->removeListener(listenerObject(listener));
    notifier->Release();
    ResultCode expected = resultInvalidArgument;
    if (listener < answeringListeners) {
        if (adding) {
            model.parameter(id).addListener(listener);
            expected = 0;
        } else {
            expected = model.parameter(id).removeListener(listener) ? 0 : resultFalse;
        }
    }
    expect(result == expected, std::string(adding ? "addListener" : "removeListener") +
                                   " answered " + std::to_string(result) + ", expected " +
                                   std::to_string(expected));
}

void CallSequence::setListenerAction(ByteReader& in) {
    int listener = in.byte() % answeringListeners;
    ListenerAction action;
    action.kind = static_cast<ListenerAction::Kind>(in.byte() % 5);
    action.other = in.byte() % answeringListeners;
    action.value = in.number();
    actions[static_cast<std::size_t>(listener)] = action;
    model.setAction(listener, action);
}

void CallSequence::actOnLibrary(int listener, ParameterInterface* parameter) {
    const ListenerAction& action = actions[static_cast<std::size_t>(listener)];
    if (action.kind == ListenerAction::Kind::none) {
        return;
    }
    if (action.kind == ListenerAction::Kind::setValue) {
        parameter->setValue(action.value);
        return;
    }
    // Runs inside the library's timer pass, so nothing here may throw.
    void* found = nullptr;
    if (parameter->QueryInterface(ParameterNotifierInterfaceId.raw(), &found) != 0) {
        return;
    }
    auto* notifier = static_cast<ParameterNotifierInterface*>(found);
    switch (action.kind) {
    case ListenerAction::Kind::removeSelf:
        notifier->removeListener(listenerObject(listener));
        break;
    case ListenerAction::Kind::removeOther:
        notifier->removeListener(listenerObject(action.other));
        break;
    case ListenerAction::Kind::addOther:
        if (addsFromListeners < ReferenceHost::addsFromListenersLimit) {
            ++addsFromListeners;
            notifier->addListener(listenerObject(action.other));
        }
        break;
    default:
        break;
    }
    notifier->Release();
}

void CallSequence::reportTick(const std::string& what,
                              const std::vector<ListenerReport>& expected) {
    std::string listing;
    for (const Received& report : received) {
        listing += "\n  listener " + std::to_string(report.listener) + " parameter " +
                   std::to_string(modelParameterOf(report.parameter)) + " value " +
                   std::to_string(report.value);
    }
    for (const ListenerReport& report : expected) {
        listing += "\n  expected listener " + std::to_string(report.listener) + " parameter " +
                   std::to_string(report.parameter) + " value " + std::to_string(report.value);
    }
    throw Mismatch(what + listing);
}

void CallSequence::tick() {
    received.clear();
    deliverPendingChanges(nullptr, 0, 0, 0);
    std::vector<ListenerReport> expected = model.tick();
    if (received.size() != expected.size()) {
        reportTick("the tick made " + std::to_string(received.size()) + " reports, expected " +
                       std::to_string(expected.size()),
                   expected);
    }
    for (std::size_t i = 0; i < received.size(); ++i) {
        const Received& got = received[i];
        if (got.listener != expected[i].listener ||
            modelParameterOf(got.parameter) != expected[i].parameter ||
            got.value != expected[i].value || got.tag != 0) {
            reportTick("report " + std::to_string(i) + " of the tick differs", expected);
        }
    }
    for (testing::RecordingListener& listener : listeners) {
        listener.reports.clear();
    }
}

void CallSequence::queryParameter(ByteReader& in) {
    int id = pickParameter(in);
    if (id < 0) {
        return;
    }
    ParameterInterface* parameter = parameters[static_cast<std::size_t>(id)];
    InterfaceIdBytes iid = readIdentifier(in);
    ParameterNotifierInterface* notifier = notifierOf(parameter);
    notifier->Release();
    void* out = &out;
    ResultCode result = parameter->QueryInterface(&iid, &out);
    void* expected = nullptr;
    if (sameAny(iid, {&UnknownInterfaceId, &ParameterInterfaceId})) {
        expected = parameter;
    } else if (sameAny(iid, {&ParameterNotifierInterfaceId, &ParameterNotifierInterfaceAltId})) {
        expected = notifier;
    }
    if (expected == nullptr) {
        expect(result == resultNoInterface && out == nullptr,
               "a parameter answered an identifier it does not know");
        return;
    }
    expect(result == 0 && out == expected,
           "a parameter answered an identifier with the wrong interface");
    model.holdParameter(id);
    heldParameters.push_back(id);
    parameterHolds.push_back(static_cast<UnknownInterface*>(out));
}

void CallSequence::releaseParameter(ByteReader& in) {
    if (heldParameters.empty()) {
        return;
    }
    std::size_t chosen = in.byte() % heldParameters.size();
    int id = heldParameters[chosen];
    UnknownInterface* through = parameterHolds[chosen];
    heldParameters.erase(heldParameters.begin() + static_cast<std::ptrdiff_t>(chosen));
    parameterHolds.erase(parameterHolds.begin() + static_cast<std::ptrdiff_t>(chosen));
    std::uint32_t left = through->Release();
    std::int32_t expected = model.releaseParameter(id);
    expect(left == static_cast<std::uint32_t>(expected), "parameter Release answered " +
                                                             std::to_string(left) + ", expected " +
                                                             std::to_string(expected));
    if (!model.parameterAlive(id)) {
        parameters[static_cast<std::size_t>(id)] = nullptr;
    }
}

void CallSequence::lookUpParameters(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    int id = model.instance(instance->model).parameter;
    ParameterInterface* own = id < 0 ? nullptr : parameters[static_cast<std::size_t>(id)];
    ParameterOwnerInterface* owner = ownerOf(*instance);
    switch (in.byte() % 4) {
    case 0: {
        std::string name = in.byte() % 2 == 0 ? std::string(speedName) : in.text();
        ParameterInterface* found = reinterpret_cast<ParameterInterface*>(&found);
        ResultCode result = owner->findParameter(name.c_str(), &found);
        bool exists = own != nullptr && std::strcmp(name.c_str(), speedName) == 0;
        expect(result == (exists ? 0 : resultFalse) && found == (exists ? own : nullptr),
               "findParameter of '" + name + "'");
        break;
    }
    case 1:
        expect(owner->getParameterCount() == (own != nullptr ? 1 : 0), "getParameterCount");
        break;
    case 2: {
        std::int32_t index = in.number();
        constexpr std::size_t nameBytes = 128;
        auto name = std::make_unique<char[]>(nameBytes);
        std::memset(name.get(), untouchedByte, nameBytes);
        ResultCode result = owner->getParameterName(index, name.get());
        if (own != nullptr && index == 0) {
            char expected[nameBytes] = {};
            std::strcpy(expected, speedName);
            expect(result == 0 && std::memcmp(name.get(), expected, nameBytes) == 0,
                   "getParameterName of index 0");
        } else {
            expect(result == resultFalse && std::all_of(name.get(), name.get() + nameBytes,
                                                        [](char c) { return c == untouchedByte; }),
                   "getParameterName of index " + std::to_string(index));
        }
        break;
    }
    default: {
        std::int32_t tag = in.number();
        ParameterInterface* found = reinterpret_cast<ParameterInterface*>(&found);
        ResultCode result = owner->getParameterByTag(tag, &found);
        bool exists = own != nullptr && tag == 0;
        expect(result == (exists ? 0 : resultFalse) && found == (exists ? own : nullptr),
               "getParameterByTag of " + std::to_string(tag));
        break;
    }
    }
}

} // namespace quorlin::reliability
