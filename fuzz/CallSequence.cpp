#include "CallSequence.h"

#include "component/InterfaceId.h"
#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"
#include "tests/reliability/DecimalReading.h"

#include <algorithm>
#include <cstring>
#include <iterator>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::reliability {

namespace {

using testing::RecordingHostMidiServices;
using testing::SentEvent;

constexpr std::uint8_t productClassId[16] = {0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F,
                                             0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F, 0x3B};
constexpr const char* speedName = "portamentoSpeed";
constexpr std::size_t maxSteps = 2000;
constexpr std::uint32_t untouchedSize = 0xDEADBEEFu;
constexpr char untouchedByte = 0x5A;

const std::array<const InterfaceId*, 14> knownIds{&UnknownInterfaceId,
                                                  &ModuleInterfaceId,
                                                  &ModuleInterfaceAltId,
                                                  &ParameterListenerInterfaceId,
                                                  &ParameterOwnerInterfaceId,
                                                  &SkinInterfaceId,
                                                  &SkinInterfaceAltId,
                                                  &AuxiliaryInterfaceId,
                                                  &ClassIdentityInterfaceId,
                                                  &FactoryInterfaceId,
                                                  &ParameterInterfaceId,
                                                  &ParameterNotifierInterfaceId,
                                                  &ParameterNotifierInterfaceAltId,
                                                  &HostMidiServicesId};

bool same(const InterfaceIdBytes& id, const InterfaceId& known) {
    return std::memcmp(id.bytes, known.data(), 16) == 0;
}

bool sameAny(const InterfaceIdBytes& id, std::initializer_list<const InterfaceId*> candidates) {
    return std::any_of(candidates.begin(), candidates.end(),
                       [&id](const InterfaceId* known) { return same(id, *known); });
}

// A known identifier, one that differs from a known one in a single byte, the product's class
// identifier, or sixteen bytes straight from the input.
InterfaceIdBytes readIdentifier(ByteReader& in) {
    InterfaceIdBytes id{};
    std::uint8_t kind = in.byte();
    switch (kind % 4) {
    case 0:
    case 1: {
        std::size_t index = in.byte() % (knownIds.size() + 1);
        std::memcpy(id.bytes, index < knownIds.size() ? knownIds[index]->data() : productClassId,
                    16);
        break;
    }
    case 2:
        std::memcpy(id.bytes, knownIds[in.byte() % knownIds.size()]->data(), 16);
        id.bytes[in.byte() % 16] ^= static_cast<std::uint8_t>(in.byte() | 1);
        break;
    default:
        in.bytes(id.bytes, 16);
        break;
    }
    return id;
}

// Which of the module's interfaces answers an identifier: module, owner, skin, auxiliary.
// The class identity interface is not exposed by this product.
int moduleInterfaceFor(const InterfaceIdBytes& id) {
    if (sameAny(id, {&UnknownInterfaceId, &ModuleInterfaceId, &ModuleInterfaceAltId})) {
        return 0;
    }
    if (sameAny(id, {&ParameterListenerInterfaceId, &ParameterOwnerInterfaceId})) {
        return 1;
    }
    if (sameAny(id, {&SkinInterfaceId, &SkinInterfaceAltId})) {
        return 2;
    }
    if (same(id, AuxiliaryInterfaceId)) {
        return 3;
    }
    return -1;
}

std::int32_t readStatus(ByteReader& in) {
    std::uint8_t kind = in.byte();
    switch (kind % 8) {
    case 0:
    case 1:
    case 2:
        return 144;
    case 3:
        return 128;
    case 4:
        return 176;
    case 5:
        return 0x90 | ((kind >> 3) & 0x0F); // note-on with channel bits
    case 6:
        return 0x80 | ((kind >> 3) & 0x0F);
    default:
        return in.number();
    }
}

std::int32_t readImmediate(ByteReader& in) {
    std::uint8_t kind = in.byte();
    switch (kind % 8) {
    case 4:
        return 1;
    case 5:
        return 0x100; // only the low byte counts: not immediate
    case 6:
        return static_cast<std::int32_t>(0xFFFFFF01u);
    case 7:
        return in.number();
    default:
        return 0;
    }
}

std::string viewName(ByteReader& in) {
    static const std::array<const char*, 8> names{"editor",   "inspector",  "Editor", "inspector ",
                                                  "editor\n", "inspectorX", "edito",  ""};
    std::uint8_t kind = in.byte();
    return kind % 2 == 0 ? names[(kind / 2) % names.size()] : in.text();
}

std::string describe(const ExpectedSend& send) {
    return std::string(send.forward ? "forward" : "output") + " status " +
           std::to_string(send.status) + " data " + std::to_string(send.data1) + "," +
           std::to_string(send.data2) + " at " + std::to_string(send.position) + " immediate " +
           std::to_string(send.immediate) + (send.createdByModule ? " (module's)" : " (host's)");
}

ExpectedSend observed(const SentEvent& sent) {
    return {sent.path == "forward", sent.status,    sent.data1,          sent.data2,
            sent.position,          sent.immediate, sent.createdByModule};
}

} // namespace

CallSequence::CallSequence(const ReferenceSkin& skin) : skin(skin) {
    for (int listener = 0; listener < answeringListeners; ++listener) {
        listeners[static_cast<std::size_t>(listener)].onChanged =
            [this, listener](ParameterInterface* parameter, std::int32_t tag) {
                received.push_back({listener, parameter, tag, parameter->getValue()});
                actOnLibrary(listener, parameter);
            };
    }
    listeners[answeringListeners].answersListenerId = false;
}

CallSequence::~CallSequence() {
    // After a mismatch the library may still hold these host objects: leak them rather than
    // leave it pointers to freed memory.
    bool abandoned = std::any_of(instances.begin(), instances.end(),
                                 [](const Instance& instance) { return instance.primary; });
    if (abandoned || !heldParameters.empty()) {
        for (Instance& instance : instances) {
            static_cast<void>(instance.services.release());
            static_cast<void>(instance.context.release());
        }
        for (testing::RecordingListener& listener : listeners) {
            listener.onChanged = nullptr;
        }
        static_cast<void>(listenerSet.release());
    }
}

void CallSequence::expect(bool holds, const std::string& what) {
    if (!holds) {
        throw Mismatch(what);
    }
}

std::string CallSequence::run(const std::uint8_t* data, std::size_t size) {
    std::int32_t registryBefore = parameterRegistry().count();
    std::int32_t timerBefore = changeTimerStartCount();
    try {
        factory = GetPluginFactory();
        expect(factory != nullptr, "GetPluginFactory gave no factory");
        FactoryInterface* again = GetPluginFactory();
        expect(again == factory, "a second GetPluginFactory gave another factory");
        expect(again->Release() == 1, "the factory's count after two exports and one release");

        ByteReader in(data, size);
        while (!in.atEnd() && stepNumber < maxSteps) {
            ++stepNumber;
            for (Instance& instance : instances) {
                instance.services->clearLog();
            }
            step(in);
            checkInvariants();
        }
        ++stepNumber;
        finish();
        expect(parameterRegistry().count() == registryBefore,
               "parameters left alive after every release");
        expect(changeTimerStartCount() == timerBefore, "timer uses left after every terminate");
    } catch (const Mismatch& mismatch) {
        return "step " + std::to_string(stepNumber) + ": " + mismatch.what();
    }
    return {};
}

void CallSequence::step(ByteReader& in) {
    switch (in.byte() % 32) {
    case 0:
    case 1:
        createInstance(in);
        break;
    case 2:
    case 3:
        initialize(in);
        break;
    case 4:
        terminate(in);
        break;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        processEvent(in);
        break;
    case 10:
    case 11:
        processTime(in);
        break;
    case 12:
        startOrStop(in);
        break;
    case 13:
        setValue(in);
        break;
    case 14:
        fromText(in);
        break;
    case 15:
        setOption(in);
        break;
    case 16:
    case 17:
        changeListener(in);
        break;
    case 18:
        setListenerAction(in);
        break;
    case 19:
    case 20:
        tick();
        break;
    case 21:
        getView(in);
        break;
    case 22:
        getSkinDescription(in);
        break;
    case 23:
        getSkinResource(in);
        break;
    case 24:
        queryModule(in);
        break;
    case 25:
        releaseHeld(in);
        break;
    case 26:
        queryParameter(in);
        break;
    case 27:
        releaseParameter(in);
        break;
    case 28:
        destroy(in);
        break;
    case 29:
        changeHostBehaviour(in);
        break;
    case 30:
        askFactory(in);
        break;
    default:
        if (in.byte() % 2 == 0) {
            lookUpParameters(in);
        } else {
            askModuleInfo(in);
        }
        break;
    }
}

void CallSequence::finish() {
    for (Instance& instance : instances) {
        if (instance.primary != nullptr) {
            destroyInstance(instance);
        }
    }
    tick(); // parameters the host still holds are served without their module
    while (!heldParameters.empty()) {
        ByteReader none(nullptr, 0);
        releaseParameter(none);
    }
    tick();
    expect(factory->Release() == 0, "the factory outlived its last release");
    factory = nullptr;
    checkInvariants();
    for (const Instance& instance : instances) {
        expect(instance.services->references() == 1 && instance.context->references() == 1,
               "host references kept after the final release");
    }
    for (const testing::RecordingListener& listener : listeners) {
        expect(listener.references() == 1, "a listener reference kept after the final release");
    }
}

CallSequence::Instance* CallSequence::pickInstance(ByteReader& in) {
    std::vector<Instance*> live;
    for (Instance& instance : instances) {
        if (instance.primary != nullptr) {
            live.push_back(&instance);
        }
    }
    std::uint8_t choice = in.byte();
    return live.empty() ? nullptr : live[choice % live.size()];
}

int CallSequence::pickParameter(ByteReader& in) {
    std::vector<int> live;
    for (std::size_t id = 0; id < parameters.size(); ++id) {
        if (parameters[id] != nullptr && model.parameterAlive(static_cast<int>(id))) {
            live.push_back(static_cast<int>(id));
        }
    }
    std::uint8_t choice = in.byte();
    return live.empty() ? -1 : live[choice % live.size()];
}

ModuleInterface* CallSequence::moduleOf(const Instance& instance) const {
    return static_cast<ModuleInterface*>(instance.interfaces[0]);
}

ParameterOwnerInterface* CallSequence::ownerOf(const Instance& instance) const {
    return static_cast<ParameterOwnerInterface*>(instance.interfaces[1]);
}

SkinInterface* CallSequence::skinOf(const Instance& instance) const {
    return static_cast<SkinInterface*>(instance.interfaces[2]);
}

ParameterNotifierInterface* CallSequence::notifierOf(ParameterInterface* parameter) {
    void* notifier = nullptr;
    expect(parameter->QueryInterface(ParameterNotifierInterfaceId.raw(), &notifier) == 0 &&
               notifier != nullptr,
           "a parameter without its notifier interface");
    return static_cast<ParameterNotifierInterface*>(notifier);
}

UnknownInterface* CallSequence::listenerObject(int listener) {
    return &listeners[static_cast<std::size_t>(listener)];
}

int CallSequence::modelParameterOf(ParameterInterface* parameter) const {
    for (std::size_t id = 0; id < parameters.size(); ++id) {
        if (parameters[id] == parameter && model.parameterAlive(static_cast<int>(id))) {
            return static_cast<int>(id);
        }
    }
    return -1;
}

void CallSequence::releaseModuleReference(Instance& instance, void* through) {
    std::uint32_t left = static_cast<UnknownInterface*>(through)->Release();
    --instance.references;
    expect(left == static_cast<std::uint32_t>(instance.references),
           "module Release answered " + std::to_string(left) + ", expected " +
               std::to_string(instance.references));
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

void CallSequence::createInstance(ByteReader& in) {
    if (instances.size() >= maxInstances) {
        return;
    }
    InterfaceIdBytes classId{};
    std::memcpy(classId.bytes, productClassId, 16);
    std::uint8_t kind = in.byte();
    if (kind % 8 == 7) {
        classId = readIdentifier(in);
    }
    InterfaceIdBytes iid = kind % 4 == 1 ? readIdentifier(in) : *ModuleInterfaceId.raw();
    void* out = reinterpret_cast<void*>(&out); // anything but null
    ResultCode result = factory->createInstance(&classId, &iid, &out);
    bool product = std::memcmp(classId.bytes, productClassId, 16) == 0;
    int answering = moduleInterfaceFor(iid);
    if (!product || answering < 0) {
        expect(result == resultNoInterface && out == nullptr,
               "createInstance of an unknown class or interface answered " +
                   std::to_string(result));
        return;
    }
    expect(result == 0 && out != nullptr, "createInstance failed: " + std::to_string(result));

    Instance instance;
    instance.services = std::make_unique<RecordingHostMidiServices>();
    instance.context = std::make_unique<testing::RecordingHostContext>(*instance.services);
    const std::array<const InterfaceId*, 4> primaryIds{
        &ModuleInterfaceId, &ParameterOwnerInterfaceId, &SkinInterfaceId, &AuxiliaryInterfaceId};
    for (std::size_t i = 0; i < primaryIds.size(); ++i) {
        void* found = nullptr;
        expect(static_cast<UnknownInterface*>(out)->QueryInterface(primaryIds[i]->raw(), &found) ==
                       0 &&
                   found != nullptr,
               "a new instance does not answer one of its interfaces");
        instance.interfaces[i] = found;
        expect(static_cast<UnknownInterface*>(found)->Release() == 1,
               "a new instance does not hold exactly the creator's reference");
    }
    expect(out == instance.interfaces[static_cast<std::size_t>(answering)],
           "createInstance handed out another interface than the one asked for");
    void* identity = &identity;
    expect(moduleOf(instance)->QueryInterface(ClassIdentityInterfaceId.raw(), &identity) ==
                   resultNoInterface &&
               identity == nullptr,
           "the class identity interface is exposed");
    instance.primary = out;
    instance.references = 1;
    instance.model = model.createInstance();
    instances.push_back(std::move(instance));
}

void CallSequence::initialize(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::uint8_t kind = in.byte() % 6;
    ContextKind context = kind < 4    ? ContextKind::answering
                          : kind == 4 ? ContextKind::refusing
                                      : ContextKind::null;
    instance->context->answersServices = context != ContextKind::refusing;
    ResultCode result = moduleOf(*instance)->initialize(
        context == ContextKind::null ? nullptr : instance->context.get());
    instance->context->answersServices = true;
    std::int32_t expected = model.initialize(instance->model, context);
    expect(result == expected, "initialize answered " + std::to_string(result) + ", expected " +
                                   std::to_string(expected));
    int id = model.instance(instance->model).parameter;
    expect(ownerOf(*instance)->getParameterCount() == (id < 0 ? 0 : 1),
           "parameter count after initialize");
    if (id < 0) {
        return;
    }
    ParameterInterface* found = nullptr;
    expect(ownerOf(*instance)->findParameter(speedName, &found) == 0 && found != nullptr,
           "portamentoSpeed not found after initialize");
    if (parameters.size() <= static_cast<std::size_t>(id)) {
        parameters.resize(static_cast<std::size_t>(id) + 1, nullptr);
    }
    expect(parameters[static_cast<std::size_t>(id)] == nullptr ||
               parameters[static_cast<std::size_t>(id)] == found,
           "a second initialize replaced the parameter");
    parameters[static_cast<std::size_t>(id)] = found;
}

void CallSequence::terminate(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    expect(moduleOf(*instance)->terminate() == 0, "terminate answered non-zero");
    model.terminate(instance->model);
}

void CallSequence::processEvent(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    ModelEvent event;
    event.status = readStatus(in);
    event.data1 = in.dataValue();
    event.data2 = in.dataValue();
    event.position = in.number();
    event.length = in.number();
    event.immediate = readImmediate(in);
    HostEvent* handle = instance->services->makeEvent(
        event.status, event.data1, event.data2, event.position, event.length, event.immediate);
    ResultCode result = moduleOf(*instance)->processEvent(handle);
    compareCall(*instance, result,
                model.instance(instance->model).processEvent(event, instance->behaviour),
                "processEvent");
}

void CallSequence::processTime(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::int32_t position = in.number();
    std::int32_t second = in.number();
    std::int32_t immediate = readImmediate(in);
    ResultCode result = moduleOf(*instance)->processTime(position, second, immediate);
    compareCall(
        *instance, result,
        model.instance(instance->model).processTime(position, immediate, instance->behaviour),
        "processTime");
}

void CallSequence::startOrStop(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    bool starting = in.byte() % 2 == 0;
    std::int32_t value = in.number();
    if (starting) {
        expect(moduleOf(*instance)->start(value) == 0, "start answered non-zero");
        model.instance(instance->model).start();
    } else {
        expect(moduleOf(*instance)->stop(value) == 0, "stop answered non-zero");
        model.instance(instance->model).stop();
    }
}

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

void CallSequence::setOption(ByteReader& in) {
    int id = pickParameter(in);
    if (id < 0) {
        return;
    }
    std::uint8_t kindChoice = in.byte() % 4;
    std::int32_t kind = kindChoice < 2 ? 1 : (kindChoice == 2 ? 2 : in.number());
    std::int32_t enabled = in.number();
    ParameterNotifierInterface* notifier = notifierOf(parameters[static_cast<std::size_t>(id)]);
    ResultCode result = notifier->setOption(kind, enabled);
    notifier->Release();
    expect(result == 0, "setOption answered non-zero");
    model.parameter(id).setOption(kind, enabled);
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

void CallSequence::getView(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string name = viewName(in);
    UnknownInterface* view = reinterpret_cast<UnknownInterface*>(&view);
    ResultCode result = skinOf(*instance)->getView(name.c_str(), &view);
    if (!ReferenceSkin::isView(name.c_str())) {
        expect(result == resultFalse && view == nullptr, "getView of '" + name + "' answered");
        return;
    }
    expect(result == 0 && view == instance->interfaces[1],
           "getView of '" + name + "' did not give the parameter owner");
    ++instance->references;
    instance->held.push_back(view);
}

void CallSequence::getSkinDescription(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string name = viewName(in);
    std::uint8_t flags = in.byte();
    constexpr std::size_t nameBytes = 10;
    auto templateName = std::make_unique<char[]>(nameBytes);
    std::memset(templateName.get(), untouchedByte, nameBytes);
    std::uint32_t size = untouchedSize;
    ResultCode result = skinOf(*instance)->getSkinDescription(
        name.c_str(), (flags & 1) != 0 ? templateName.get() : nullptr, nullptr, &size);
    bool view = ReferenceSkin::isView(name.c_str());
    std::size_t copied = view && (flags & 1) != 0 ? name.size() + 1 : 0;
    expect(std::memcmp(templateName.get(), name.c_str(), copied) == 0 &&
               std::all_of(templateName.get() + copied, templateName.get() + nameBytes,
                           [](char c) { return c == untouchedByte; }),
           "the template name buffer after getSkinDescription of '" + name + "'");
    if (!view) {
        expect(result == resultFalse && size == untouchedSize,
               "getSkinDescription of '" + name + "' answered or wrote a size");
        return;
    }
    const std::string& document = skin.description();
    expect(result == 0 && size == document.size(),
           "getSkinDescription size query of '" + name + "': " + std::to_string(size));
    // Exactly as large as reported, so a longer copy is caught by the address checker.
    auto data = std::make_unique<char[]>(size);
    std::uint32_t again = untouchedSize;
    result = skinOf(*instance)->getSkinDescription(name.c_str(), nullptr, data.get(),
                                                   (flags & 2) != 0 ? &again : nullptr);
    expect(result == 0 && std::memcmp(data.get(), document.data(), size) == 0,
           "the skin description copied for '" + name + "'");
    expect((flags & 2) == 0 ? again == untouchedSize : again == size,
           "the size reported with the copy");
}

void CallSequence::getSkinResource(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    std::string path = in.text();
    bool withSize = in.byte() % 4 != 0;
    DecimalReading reading = DecimalReading::of(path.c_str());
    const std::string* expected = skin.resource(reading.found ? reading.value : 0);
    std::uint32_t size = untouchedSize;
    ResultCode result =
        skinOf(*instance)->getSkinResource(path.c_str(), nullptr, withSize ? &size : nullptr);
    if (expected == nullptr) {
        expect(result == resultFalse && size == untouchedSize,
               "getSkinResource of '" + path + "' found something");
        return;
    }
    expect(result == 0, "getSkinResource of '" + path + "' found nothing");
    expect(!withSize || size == expected->size(),
           "getSkinResource size of '" + path + "': " + std::to_string(size));
    auto data = std::make_unique<char[]>(expected->size());
    result = skinOf(*instance)->getSkinResource(path.c_str(), data.get(), nullptr);
    expect(result == 0 && std::memcmp(data.get(), expected->data(), expected->size()) == 0,
           "the bytes of resource '" + path + "'");
}

void CallSequence::queryModule(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    void* through = instance->interfaces[in.byte() % 4];
    InterfaceIdBytes id = readIdentifier(in);
    bool keep = in.byte() % 2 == 0;
    void* out = &out;
    ResultCode result = static_cast<UnknownInterface*>(through)->QueryInterface(&id, &out);
    int answering = moduleInterfaceFor(id);
    if (answering < 0) {
        expect(result == resultNoInterface && out == nullptr,
               "the module answered an identifier it does not know");
        return;
    }
    expect(result == 0 && out == instance->interfaces[static_cast<std::size_t>(answering)],
           "the module answered an identifier with the wrong interface");
    ++instance->references;
    if (keep) {
        instance->held.push_back(out);
    } else {
        releaseModuleReference(*instance, out);
    }
}

void CallSequence::releaseHeld(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr || instance->held.empty()) {
        return;
    }
    auto chosen = instance->held.begin() + in.byte() % instance->held.size();
    void* through = *chosen;
    instance->held.erase(chosen);
    releaseModuleReference(*instance, through);
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

void CallSequence::destroy(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance != nullptr) {
        destroyInstance(*instance);
    }
}

void CallSequence::destroyInstance(Instance& instance) {
    // As a host does: terminate, give back every reference, the creator's last.
    expect(moduleOf(instance)->terminate() == 0, "terminate answered non-zero");
    model.terminate(instance.model);
    while (!instance.held.empty()) {
        void* through = instance.held.back();
        instance.held.pop_back();
        releaseModuleReference(instance, through);
    }
    releaseModuleReference(instance, instance.primary);
    instance.primary = nullptr;
    instance.interfaces = {};
    model.destroyInstance(instance.model);
    int id = model.instance(instance.model).parameter;
    if (id >= 0 && !model.parameterAlive(id)) {
        parameters[static_cast<std::size_t>(id)] = nullptr;
    }
}

void CallSequence::changeHostBehaviour(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    RecordingHostMidiServices& services = *instance->services;
    switch (in.byte() % 4) {
    case 0:
        instance->behaviour.createYieldsNull = !instance->behaviour.createYieldsNull;
        services.createEventYieldsNull = instance->behaviour.createYieldsNull;
        break;
    case 1:
        instance->behaviour.outputResult = in.number();
        services.outputResult = instance->behaviour.outputResult;
        break;
    case 2:
        instance->behaviour.forwardResult = in.number();
        services.forwardResult = instance->behaviour.forwardResult;
        break;
    default:
        services.recycleEvents(in.byte() % 8);
        break;
    }
}

void CallSequence::askFactory(ByteReader& in) {
    switch (in.byte() % 4) {
    case 0: {
        std::int32_t index = in.number();
        ClassInfo info;
        std::memset(&info, untouchedByte, sizeof info);
        ResultCode result = factory->getClassInfo(index, &info);
        if (index != 0) {
            expect(result == resultInvalidArgument &&
                       std::all_of(reinterpret_cast<const char*>(&info),
                                   reinterpret_cast<const char*>(&info) + sizeof info,
                                   [](char c) { return c == untouchedByte; }),
                   "getClassInfo of index " + std::to_string(index));
            return;
        }
        ClassInfo expected{};
        std::memcpy(expected.classId, productClassId, 16);
        expected.cardinality = 0x7FFFFFFF;
        std::strcpy(expected.category, "Midi Module Class");
        std::strcpy(expected.name, "Quorlin");
        expect(result == 0 && std::memcmp(&info, &expected, sizeof info) == 0,
               "getClassInfo of the product class");
        break;
    }
    case 1:
        expect(factory->countClasses() == 1, "countClasses");
        break;
    case 2: {
        FactoryInfo info{};
        expect(factory->getFactoryInfo(&info) == 0 && std::strcmp(info.vendor, "Tessivar") == 0 &&
                   info.factoryFlags == 0,
               "getFactoryInfo");
        break;
    }
    default: {
        InterfaceIdBytes id = readIdentifier(in);
        void* out = &out;
        ResultCode result = factory->QueryInterface(&id, &out);
        if (sameAny(id, {&UnknownInterfaceId, &FactoryInterfaceId})) {
            expect(result == 0 && out == factory, "the factory's own interface");
            expect(factory->Release() == 1, "the factory's count after a query");
        } else {
            expect(result == resultNoInterface && out == nullptr,
                   "the factory answered an identifier it does not know");
        }
        break;
    }
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

void CallSequence::askModuleInfo(ByteReader& in) {
    Instance* instance = pickInstance(in);
    if (instance == nullptr) {
        return;
    }
    ModuleInterface* module = moduleOf(*instance);
    switch (in.byte() % 3) {
    case 0: {
        ModuleInfo info{static_cast<std::uint32_t>(in.number()), -7};
        expect(module->getModuleInfo(&info) == 0 && info.value == (info.size >= 8 ? 3 : -7),
               "getModuleInfo with the size " + std::to_string(info.size));
        expect(module->getModuleInfo(nullptr) == 0, "getModuleInfo without a record");
        break;
    }
    case 1: {
        // Read one by one: compilers evaluate a call's arguments in their own order.
        std::array<std::int32_t, 4> values{};
        for (std::int32_t& value : values) {
            value = in.number();
        }
        expect(module->setHostValue(values[0]) == 0 && module->reservedCallA(values[1]) == 0 &&
                   module->reservedCallB(values[2], values[3]) == 0,
               "the calls the module only acknowledges");
        break;
    }
    default: {
        auto* auxiliary = static_cast<AuxiliaryInterface*>(instance->interfaces[3]);
        void* out = &out;
        std::int32_t first = in.number();
        std::int32_t second = in.number();
        expect(auxiliary->auxGet(first, second, &out) == resultFalse && out == nullptr, "auxGet");
        expect(auxiliary->auxGet(0, 0, nullptr) == resultFalse &&
                   auxiliary->auxPut(in.number()) == resultFalse,
               "the auxiliary calls");
        break;
    }
    }
}

} // namespace quorlin::reliability
