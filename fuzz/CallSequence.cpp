// The call sequence's frame: setting up the factory and the listeners, decoding each step into
// one call, the final releases, and picking instances, parameters and interfaces.

#include "CallSequence.h"
#include "CallSequenceInput.h"

#include "parameters/ChangeTimer.h"
#include "parameters/ParameterRegistry.h"

#include <algorithm>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::reliability {

CallSequence::CallSequence(const ReferenceSkin& expectedSkin) : skin(expectedSkin) {
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
    default: {
        using Step = void (CallSequence::*)(ByteReader&);
        constexpr std::array<Step, 3> rest{&CallSequence::lookUpParameters,
                                           &CallSequence::askModuleInfo, &CallSequence::passNulls};
        (this->*rest[in.byte() % rest.size()])(in);
        break;
    }
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

} // namespace quorlin::reliability
