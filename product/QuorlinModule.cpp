#include "QuorlinModule.h"

#include "legato/MidiProtocol.h"
#include "product/PortamentoSpeedParameter.h"

#include <climits>
#include <new>

namespace quorlin {

namespace {

constexpr std::int32_t createEventFourth = -1;
constexpr std::int32_t immediatePosition = INT32_MIN;
constexpr std::int32_t hostOptionValue = 1;

constexpr ModuleConfig quorlinConfig{
    .moduleInfoValue = 3,
    .skinResourceId = 1, // the skin description resource
    .exposeClassIdentity = false,
};

} // namespace

QuorlinModule::QuorlinModule(const void* classIdBytes)
    : MidiModuleBase(classIdBytes, quorlinConfig) {}

QuorlinModule::~QuorlinModule() = default;

ResultCode QuorlinModule::initialize(HostContext* context) noexcept {
    ResultCode result = MidiModuleBase::initialize(context);
    if (result != resultOk) {
        return result;
    }
    if (!addSpeedParameter()) {
        // Out of memory: give back the connection and the timer use the base just took, so
        // the instance is as the host had it before the call.
        MidiModuleBase::terminate();
        return resultOutOfMemory;
    }
    services()->setHostOption(hostOptionValue);
    return resultOk;
}

bool QuorlinModule::addSpeedParameter() noexcept {
    // An initialize after terminate finds the parameter still there: one per instance.
    if (parameterList().findByTag(speedTag) != nullptr) {
        return true;
    }
    PortamentoSpeedParameter* speed = nullptr;
    try {
        speed = new PortamentoSpeedParameter();
        parameterList().addParameter(speed, speedTag, speedName)->setValue(playing::speedOff);
    } catch (const std::bad_alloc&) {
        // A parameter the list did not take is still ours, and leaves the registry with us.
        if (speed != nullptr) {
            speed->Release();
        }
        return false;
    }
    return true;
}

ResultCode QuorlinModule::terminate() noexcept {
    return MidiModuleBase::terminate();
}

ResultCode QuorlinModule::processEvent(HostEvent* event) noexcept {
    HostMidiServices* host = services();
    if (host == nullptr) {
        // Not connected: nothing can be read or sent, and the held keys stay as they are.
        return resultUnexpected;
    }
    std::int32_t status = host->getStatus(event);
    std::int32_t note = host->getData1(event);
    std::int32_t velocity = host->getData2(event);
    std::int32_t position = host->getPosition(event);
    std::int32_t length = host->getLength(event);
    bool immediate = (host->isImmediate(event) & 0xFF) != 0;

    Decision decision;
    try {
        decision = legato.receive(status, note, velocity, position, length);
    } catch (const std::bad_alloc&) {
        // Only a note number beyond the MIDI range can make the table grow; it ran out before
        // anything was changed or sent.
        return resultOutOfMemory;
    }
    switch (decision.kind) {
    case MessageKind::noteOn:
        // The module keeps the core's defaults, so every note-on gets its controller 65. It
        // takes the note-on's position as the host reports it after the creation.
        if (decision.glide.portamento) {
            HostEvent* controller =
                createController(midi::controllerPortamento, *decision.glide.portamento);
            sendController(controller, services()->getPosition(event), immediate);
        }
        return emitEvent(event, immediate);
    case MessageKind::noteOff:
        return emitEvent(event, immediate);
    default:
        return MidiModuleBase::processEvent(event);
    }
}

ResultCode QuorlinModule::processTime(std::int32_t position, std::int32_t,
                                      std::int32_t immediate) noexcept {
    if (services() == nullptr) {
        // Not connected: the controller stays due until the instance is.
        return resultOk;
    }
    std::optional<std::int32_t> value = legato.takeDueSpeed();
    if (!value) {
        return resultOk; // nothing due, or "Off", which uses the request up
    }
    sendController(createController(midi::controllerPortamentoTime, *value), position,
                   (immediate & 0xFF) != 0);
    return resultOk;
}

HostEvent* QuorlinModule::createController(std::int32_t controller, std::int32_t value) {
    return services()->createEvent(midi::statusController, controller, value, createEventFourth);
}

void QuorlinModule::sendController(HostEvent* controller, std::int32_t position, bool immediate) {
    if (controller == nullptr) {
        return; // the host made no event: the controller is skipped, the note still goes out
    }
    HostMidiServices* host = services();
    host->setPosition(controller, position);
    emitEvent(controller, immediate); // its result is the controller's, not the caller's
    host->releaseEvent(controller);
}

ResultCode QuorlinModule::emitEvent(HostEvent* event, bool immediate) {
    HostMidiServices* host = services();
    if (immediate) {
        host->setImmediate(event, 1);
        host->setPosition(event, immediatePosition);
        return host->forwardEvent(event);
    }
    return host->outputEvent(event);
}

ResultCode QuorlinModule::stop(std::int32_t value) noexcept {
    legato.stop();
    return MidiModuleBase::stop(value);
}

ResultCode QuorlinModule::start(std::int32_t value) noexcept {
    legato.start();
    return MidiModuleBase::start(value);
}

ResultCode QuorlinModule::parameterChanged(ParameterInterface* parameter,
                                           std::int32_t tag) noexcept {
    if (tag == speedTag) {
        legato.setSpeed(parameter->getValue());
    }
    return resultOk;
}

} // namespace quorlin
