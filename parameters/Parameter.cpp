#include "Parameter.h"

#include "ListenerEntry.h"
#include "ParameterRegistry.h"
#include "component/InterfaceMap.h"
#include "component/ModuleInterfaces.h"

#include <cstring>
#include <new>
#include <vector>

namespace quorlin {

Parameter::Parameter() {
    parameterRegistry().append(this);
}

Parameter::~Parameter() {
    parameterRegistry().unlink(this);
    // Listeners are released after the parameter has left the registry, so whatever their
    // Release runs can no longer reach it through the timer.
    listeners.reset();
}

ResultCode Parameter::QueryInterface(const InterfaceIdBytes* iid, void** out) noexcept {
    ParameterInterface* first = this;
    ParameterNotifierInterface* second = this;
    return answerQueryInterface(iid, out,
                                {{&UnknownInterfaceId, first},
                                 {&ParameterInterfaceId, first},
                                 {&ParameterNotifierInterfaceId, second},
                                 {&ParameterNotifierInterfaceAltId, second}},
                                *first);
}

std::uint32_t Parameter::AddRef() noexcept {
    return refCount.add();
}

std::uint32_t Parameter::Release() noexcept {
    return refCount.release([this] { delete this; });
}

void Parameter::toText(char* text) noexcept {
    std::strcpy(text, (flags & on) != 0 ? "On" : "Off");
}

void Parameter::fromText(const char* text) noexcept {
    setValue(std::strcmp(text, "Off") == 0 ? 0 : 1);
}

std::int32_t Parameter::getValue() noexcept {
    return (flags & on) != 0 ? 1 : 0;
}

void Parameter::setValue(std::int32_t value) noexcept {
    // Compared unchanged: any non-zero value other than 1 counts as a change.
    std::int32_t current = (flags & on) != 0 ? 1 : 0;
    if (value == current) {
        return;
    }
    if (value != 0) {
        flags |= on;
    } else {
        flags &= ~on;
    }
    reportChange();
}

std::int32_t Parameter::getMin() noexcept {
    return 0;
}

std::int32_t Parameter::getMax() noexcept {
    return 1;
}

void Parameter::attach(ParameterOwnerInterface* newOwner, std::int32_t newTag) noexcept {
    owner = newOwner;
    tag = newTag;
}

void Parameter::reportChange() {
    if ((flags & silent) != 0) {
        return;
    }
    if (owner == nullptr) {
        flags |= pending;
        return;
    }
    // Held across the call: the owner may release the last reference from inside it.
    AddRef();
    owner->parameterChanged(this, tag);
    if ((flags & silent) == 0) {
        flags |= pending;
    }
    Release();
}

ParameterListenerInterface* Parameter::queryListener(UnknownInterface* object) {
    if (object == nullptr) {
        return nullptr;
    }
    void* listener = nullptr;
    object->QueryInterface(ParameterListenerInterfaceId.raw(), &listener);
    return static_cast<ParameterListenerInterface*>(listener);
}

ResultCode Parameter::addListener(UnknownInterface* object) noexcept {
    ParameterListenerInterface* listener = queryListener(object);
    if (listener == nullptr) {
        return resultInvalidArgument;
    }
    try {
        if (listeners == nullptr) {
            listeners = std::make_unique<NodeList>();
        }
        listeners->append(new ListenerEntry(listener));
    } catch (const std::bad_alloc&) {
        // Nothing was linked; give back the reference the query took.
        listener->Release();
        return resultOutOfMemory;
    }
    return resultOk;
}

ResultCode Parameter::removeListener(UnknownInterface* object) noexcept {
    ParameterListenerInterface* listener = queryListener(object);
    if (listener == nullptr) {
        return resultInvalidArgument;
    }
    ResultCode result = resultFalse;
    if (listeners != nullptr) {
        for (ListNode* node = listeners->first(); node != nullptr; node = node->nextNode()) {
            auto* entry = static_cast<ListenerEntry*>(node);
            if (entry->listener == listener) {
                listeners->unlink(entry);
                delete entry;
                result = resultOk;
                break;
            }
        }
    }
    listener->Release();
    return result;
}

ResultCode Parameter::setOption(std::int32_t kind, std::int32_t enabled) noexcept {
    if (kind == reportingOption) {
        // The host passes a one-byte boolean; the rest of the argument is undefined.
        if (static_cast<std::uint8_t>(enabled) != 0) {
            flags &= ~silent;
        } else {
            flags |= silent;
        }
    }
    return resultOk;
}

void Parameter::forgetOwner(const ParameterOwnerInterface* leaving) {
    if (owner == leaving) {
        owner = nullptr;
    }
}

bool Parameter::isListening(const ParameterListenerInterface* listener) const {
    for (ListNode* node = listeners->first(); node != nullptr; node = node->nextNode()) {
        if (static_cast<ListenerEntry*>(node)->listener == listener) {
            return true;
        }
    }
    return false;
}

bool Parameter::deliverPendingChange() {
    if (listeners == nullptr || listeners->count() == 0) {
        flags &= ~pending;
        return true;
    }
    // A listener may remove entries or add new ones while it is called, so the pass calls a
    // copy of the list; each copied listener is held so none dies under the call.
    std::vector<ParameterListenerInterface*> snapshot;
    try {
        snapshot.reserve(static_cast<std::size_t>(listeners->count()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (ListNode* node = listeners->first(); node != nullptr; node = node->nextNode()) {
        ParameterListenerInterface* listener = static_cast<ListenerEntry*>(node)->listener;
        listener->AddRef();
        snapshot.push_back(listener);
    }
    for (ParameterListenerInterface* listener : snapshot) {
        // One removed by an earlier call of this pass is not called any more.
        if (isListening(listener)) {
            listener->parameterChanged(this, tag);
        }
    }
    // Cleared after the calls: a change a listener makes now reaches only the owner.
    flags &= ~pending;
    for (ParameterListenerInterface* listener : snapshot) {
        listener->Release();
    }
    return true;
}

} // namespace quorlin
