#include "MidiModuleBase.h"

#include "component/InterfaceMap.h"
#include "parameters/ChangeTimer.h"
#include "resources/SkinViews.h"

#include <array>
#include <cstring>

namespace quorlin {

MidiModuleBase::MidiModuleBase(const void* classIdBytes, const ModuleConfig& configuration)
    : config(configuration), classId(classIdBytes) {
    parameters.setOwner(this);
}

// Disconnecting is terminate's work: a host that skipped it may already have destroyed its
// objects, and the library's unload stops a timer left running.
MidiModuleBase::~MidiModuleBase() = default;

ResultCode MidiModuleBase::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    const std::array<InterfaceMapEntry, 9> rows{{
        {&UnknownInterfaceId, static_cast<ModuleInterface*>(this)},
        {&ModuleInterfaceId, static_cast<ModuleInterface*>(this)},
        {&ModuleInterfaceAltId, static_cast<ModuleInterface*>(this)},
        {&ParameterListenerInterfaceId, static_cast<ParameterOwnerInterface*>(this)},
        {&ParameterOwnerInterfaceId, static_cast<ParameterOwnerInterface*>(this)},
        {&SkinInterfaceId, static_cast<SkinInterface*>(this)},
        {&SkinInterfaceAltId, static_cast<SkinInterface*>(this)},
        {&AuxiliaryInterfaceId, static_cast<AuxiliaryInterface*>(this)},
        {&ClassIdentityInterfaceId, static_cast<ClassIdentityInterface*>(this)},
    }};
    // The class identity row is only answered while the product exposes it.
    std::size_t answered = config.exposeClassIdentity ? rows.size() : rows.size() - 1;
    return answerQueryInterface(iid, out, std::span(rows.data(), answered),
                                static_cast<ModuleInterface&>(*this));
}

std::uint32_t MidiModuleBase::AddRef() noexcept {
    return refCount.add();
}

std::uint32_t MidiModuleBase::Release() noexcept {
    return refCount.release([this] { delete this; });
}

ResultCode MidiModuleBase::initialize(HostContext* context) noexcept {
    if (context == nullptr) {
        return resultInvalidArgument;
    }
    void* answer = nullptr;
    if (context->QueryInterface(HostMidiServicesId.raw(), &answer) != resultOk) {
        // A fresh instance keeps what the context stored (null by convention); a connected one
        // keeps its connection rather than losing the references it holds.
        if (hostContext == nullptr && midiServices == nullptr) {
            midiServices = static_cast<HostMidiServices*>(answer);
        }
        return resultInvalidArgument;
    }
    // The timer use comes first: without it nothing is connected, and the answer goes back.
    if (!holdsTimerUse) {
        if (!startChangeTimer()) {
            if (answer != nullptr) {
                static_cast<HostMidiServices*>(answer)->Release();
            }
            return resultOutOfMemory;
        }
        holdsTimerUse = true;
    }
    // A second initialize replaces the connection: give back what the first one took.
    releaseHostConnection();
    midiServices = static_cast<HostMidiServices*>(answer);
    hostContext = context;
    hostContext->AddRef();
    return resultOk;
}

ResultCode MidiModuleBase::terminate() noexcept {
    if (holdsTimerUse) {
        stopChangeTimer();
        holdsTimerUse = false;
    }
    releaseHostConnection();
    return resultOk;
}

void MidiModuleBase::releaseHostConnection() {
    if (midiServices != nullptr) {
        HostMidiServices* services = midiServices;
        midiServices = nullptr;
        services->Release();
    }
    if (hostContext != nullptr) {
        HostContext* context = hostContext;
        hostContext = nullptr;
        context->Release();
    }
}

ResultCode MidiModuleBase::getModuleInfo(ModuleInfo* info) noexcept {
    if (info != nullptr && info->size >= sizeof(ModuleInfo)) {
        info->value = config.moduleInfoValue;
    }
    return resultOk;
}

ResultCode MidiModuleBase::setHostValue(std::int32_t value) noexcept {
    hostValue = value;
    return resultOk;
}

ResultCode MidiModuleBase::processEvent(HostEvent* event) noexcept {
    if (midiServices == nullptr) {
        return resultUnexpected;
    }
    return midiServices->forwardEvent(event);
}

ResultCode MidiModuleBase::processTime(std::int32_t, std::int32_t, std::int32_t) noexcept {
    return resultOk;
}

ResultCode MidiModuleBase::reservedCallA(std::int32_t) noexcept {
    return resultOk;
}

ResultCode MidiModuleBase::reservedCallB(std::int32_t, std::int32_t) noexcept {
    return resultOk;
}

ResultCode MidiModuleBase::stop(std::int32_t) noexcept {
    running = false;
    return resultOk;
}

ResultCode MidiModuleBase::start(std::int32_t) noexcept {
    running = true;
    return resultOk;
}

ResultCode MidiModuleBase::findParameter(const char* name, ParameterInterface** out) noexcept {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    // No name matches no parameter.
    *out = name == nullptr ? nullptr : parameters.findByName(name);
    return *out != nullptr ? resultOk : resultFalse;
}

ResultCode MidiModuleBase::parameterChanged(ParameterInterface*, std::int32_t) noexcept {
    return resultFalse;
}

std::int32_t MidiModuleBase::getParameterCount() noexcept {
    return parameters.parameterCount();
}

ResultCode MidiModuleBase::getParameterName(std::int32_t index, char* name) noexcept {
    if (name == nullptr) {
        return resultInvalidArgument;
    }
    return parameters.nameAt(index, name) ? resultOk : resultFalse;
}

ResultCode MidiModuleBase::getParameterByTag(std::int32_t tag, ParameterInterface** out) noexcept {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    *out = parameters.findByTag(tag);
    return *out != nullptr ? resultOk : resultFalse;
}

ResultCode MidiModuleBase::getClassId(void* classIdOut) noexcept {
    std::memcpy(classIdOut, classId.data(), 16);
    return resultOk;
}

ResultCode MidiModuleBase::identityPut(std::int32_t, std::int32_t) noexcept {
    return resultFalse;
}

ResultCode MidiModuleBase::identityGet(std::int32_t, void** out) noexcept {
    if (out != nullptr) {
        *out = nullptr;
    }
    return resultFalse;
}

ResultCode MidiModuleBase::getView(const char* name, UnknownInterface** out) noexcept {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    if (!isViewName(name)) {
        *out = nullptr;
        return resultFalse;
    }
    // Both views are the instance's parameter owner: the host finds the value boxes' parameter
    // on it by name.
    AddRef();
    *out = static_cast<ParameterOwnerInterface*>(this);
    return resultOk;
}

ResultCode MidiModuleBase::getSkinDescription(const char* viewName, char* templateName, void* data,
                                              std::uint32_t* size) noexcept {
    return loadSkinDescription(viewName, config.skinResourceId, templateName, data, size);
}

ResultCode MidiModuleBase::getSkinResource(const char* path, void* data,
                                           std::uint32_t* size) noexcept {
    return loadSkinResource(path, data, size);
}

ResultCode MidiModuleBase::auxGet(std::int32_t, std::int32_t, void** out) noexcept {
    if (out != nullptr) {
        *out = nullptr;
    }
    return resultFalse;
}

ResultCode MidiModuleBase::auxPut(std::int32_t) noexcept {
    return resultFalse;
}

} // namespace quorlin
