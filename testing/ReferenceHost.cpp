#include "ReferenceHost.h"

#include <algorithm>

namespace quorlin::reliability {

int ReferenceHost::createInstance() {
    instances.emplace_back();
    holdsTimer.push_back(false);
    return static_cast<int>(instances.size()) - 1;
}

std::int32_t ReferenceHost::initialize(int id, ContextKind context) {
    ReferenceInstance& target = instance(id);
    std::int32_t result = target.initialize(context);
    if (result != 0) {
        return result;
    }
    holdsTimer[static_cast<std::size_t>(id)] = true;
    if (target.parameter < 0) {
        parameters.push_back(Slot{ReferenceParameter(&target)});
        target.parameter = static_cast<int>(parameters.size()) - 1;
    }
    return result;
}

void ReferenceHost::terminate(int id) {
    instance(id).terminate();
    holdsTimer[static_cast<std::size_t>(id)] = false;
}

void ReferenceHost::destroyInstance(int id) {
    int owned = instance(id).parameter;
    if (owned < 0) {
        return;
    }
    Slot& slot = parameters[static_cast<std::size_t>(owned)];
    slot.model.detachOwner();
    slot.listed = false;
    dropIfUnreferenced(slot);
}

void ReferenceHost::holdParameter(int id) {
    ++parameters[static_cast<std::size_t>(id)].hostReferences;
}

std::int32_t ReferenceHost::releaseParameter(int id) {
    Slot& slot = parameters[static_cast<std::size_t>(id)];
    --slot.hostReferences;
    dropIfUnreferenced(slot);
    return parameterReferences(id);
}

std::int32_t ReferenceHost::parameterReferences(int id) const {
    const Slot& slot = parameters[static_cast<std::size_t>(id)];
    return (slot.listed ? 1 : 0) + slot.hostReferences;
}

void ReferenceHost::dropIfUnreferenced(Slot& slot) {
    if (!slot.listed && slot.hostReferences == 0) {
        // Destroyed: it leaves the registry and gives its listeners back.
        slot.alive = false;
        while (!slot.model.listeners().empty()) {
            slot.model.removeListener(slot.model.listeners().front());
        }
    }
}

void ReferenceHost::setAction(int listener, ListenerAction action) {
    actions[static_cast<std::size_t>(listener)] = action;
}

void ReferenceHost::act(int listener, int parameterId) {
    ReferenceParameter& target = parameter(parameterId);
    const ListenerAction& action = actions[static_cast<std::size_t>(listener)];
    switch (action.kind) {
    case ListenerAction::Kind::none:
        break;
    case ListenerAction::Kind::removeSelf:
        target.removeListener(listener);
        break;
    case ListenerAction::Kind::removeOther:
        target.removeListener(action.other);
        break;
    case ListenerAction::Kind::addOther:
        if (addsFromListeners < addsFromListenersLimit) {
            ++addsFromListeners;
            target.addListener(action.other);
        }
        break;
    case ListenerAction::Kind::setValue:
        target.setValue(action.value);
        break;
    }
}

std::vector<ListenerReport> ReferenceHost::tick() {
    std::vector<ListenerReport> reports;
    for (std::size_t id = 0; id < parameters.size(); ++id) {
        Slot& slot = parameters[id];
        if (!slot.alive || !slot.model.owesListeners()) {
            continue;
        }
        // Listeners added during the pass wait for the next change; removed ones are skipped.
        std::vector<int> turn = slot.model.listeners();
        for (int listener : turn) {
            if (slot.model.isListening(listener)) {
                reports.push_back({listener, static_cast<int>(id), slot.model.value()});
                act(listener, static_cast<int>(id));
            }
        }
        // Settled after the calls: a change made from inside one reaches only the owner.
        slot.model.settleListeners();
    }
    return reports;
}

int ReferenceHost::timerUses() const {
    return static_cast<int>(std::count(holdsTimer.begin(), holdsTimer.end(), true));
}

std::size_t ReferenceHost::liveParameters() const {
    return static_cast<std::size_t>(std::count_if(parameters.begin(), parameters.end(),
                                                  [](const Slot& slot) { return slot.alive; }));
}

int ReferenceHost::registrations(int listener) const {
    int count = 0;
    for (const Slot& slot : parameters) {
        if (slot.alive) {
            count += static_cast<int>(
                std::count(slot.model.listeners().begin(), slot.model.listeners().end(), listener));
        }
    }
    return count;
}

} // namespace quorlin::reliability
