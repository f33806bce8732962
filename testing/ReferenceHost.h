#pragma once

#include "ReferenceInstance.h"
#include "ReferenceParameter.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace quorlin::reliability {

// What a listener does from inside its change report.
struct ListenerAction {
    enum class Kind { none, removeSelf, removeOther, addOther, setValue };
    Kind kind = Kind::none;
    int other = 0;          // the listener removed or added
    std::int32_t value = 0; // for setValue, on the reporting parameter
};

// One change report a listener should receive at a tick.
struct ListenerReport {
    int listener;
    int parameter;
    std::int32_t value; // as read at the moment of the call

    bool operator==(const ListenerReport&) const = default;
};

// The process as the host sees it: the instances, every live parameter in order of creation,
// the shared change timer's uses and the listeners' registrations.
class ReferenceHost {
public:
    // Listeners add others from inside their calls at most this often over a whole run: the
    // host stops there, so mutual adding cannot double the lists at every tick.
    static constexpr int addsFromListenersLimit = 16;

    explicit ReferenceHost(int listenerCount) : actions(static_cast<std::size_t>(listenerCount)) {}

    int createInstance();
    ReferenceInstance& instance(int id) { return instances[static_cast<std::size_t>(id)]; }

    // A successful initialize takes a timer use unless the instance holds one, and the first
    // one creates the instance's parameter, which stays for every later initialize.
    std::int32_t initialize(int id, ContextKind context);
    void terminate(int id);
    // The last reference to the instance is gone: its list's reference to the parameter goes
    // with it, and the parameter no longer reports to it.
    void destroyInstance(int id);

    ReferenceParameter& parameter(int id) { return parameters[static_cast<std::size_t>(id)].model; }
    bool parameterAlive(int id) const { return parameters[static_cast<std::size_t>(id)].alive; }
    // References the host itself holds to a parameter, beyond the instance's list.
    void holdParameter(int id);
    // Returns the parameter's remaining count.
    std::int32_t releaseParameter(int id);
    std::int32_t parameterReferences(int id) const;

    void setAction(int listener, ListenerAction action);
    // One timer pass: every parameter owing a report, in order of creation, calls the
    // listeners registered when the pass reached it that are still registered at their turn.
    std::vector<ListenerReport> tick();

    int timerUses() const;
    std::size_t liveParameters() const;
    // Registrations of a listener over all live parameters: the references the library holds.
    int registrations(int listener) const;

private:
    struct Slot {
        ReferenceParameter model;
        bool alive = true;
        bool listed = true; // the instance's list holds its reference
        std::int32_t hostReferences = 0;
    };

    void dropIfUnreferenced(Slot& slot);
    void act(int listener, int parameterId);

    std::deque<ReferenceInstance> instances; // stable addresses: parameters point at their owner
    std::vector<bool> holdsTimer;
    std::deque<Slot> parameters;
    std::vector<ListenerAction> actions;
    int addsFromListeners = 0;
};

} // namespace quorlin::reliability
