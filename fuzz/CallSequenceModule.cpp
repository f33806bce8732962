// Instances and the module calls the host makes on them: creation, initialize and terminate,
// events and positions, start and stop, options, interface queries and the last release.

#include "CallSequence.h"
#include "CallSequenceInput.h"

#include <cstring>

namespace quorlin::reliability {

using testing::RecordingHostMidiServices;

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
    auto chosen =
        instance->held.begin() + static_cast<std::ptrdiff_t>(in.byte() % instance->held.size());
    void* through = *chosen;
    instance->held.erase(chosen);
    releaseModuleReference(*instance, through);
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

} // namespace quorlin::reliability
