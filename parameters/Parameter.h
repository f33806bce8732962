#pragma once

#include "ListNode.h"
#include "NodeList.h"
#include "component/ParameterInterface.h"
#include "component/ReferenceCount.h"

#include <cstdint>
#include <memory>

namespace quorlin {

// An on/off parameter and the base of every parameter: both interfaces, the one reference
// count, owner and tag, change flags, listeners and the membership in parameterRegistry().
// The owner hears of a change at once; listeners hear of it at the next change-timer tick.
class Parameter : public ParameterInterface, public ParameterNotifierInterface, public ListNode {
public:
    // Bits of the flag word.
    static constexpr std::uint32_t on = 1;      // the value of a plain on/off parameter
    static constexpr std::uint32_t pending = 2; // changed since listeners were last told
    static constexpr std::uint32_t silent = 4;  // changes are neither reported nor marked

    // setOption kind that switches change reporting; other kinds are ignored.
    static constexpr std::int32_t reportingOption = 1;

    // Starts with one reference, owned by the caller, and joins the registry at its tail.
    Parameter();

    // The registry and the parameter list hold parameters by these views of the one object.
    static Parameter* fromInterface(ParameterInterface* parameter) {
        return static_cast<Parameter*>(parameter);
    }
    static Parameter* fromNode(ListNode* node) { return static_cast<Parameter*>(node); }

    // QueryInterface, AddRef, Release of both interfaces.
    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

    // ParameterInterface
    void QUORLIN_CALL toText(char* text) noexcept override;
    void QUORLIN_CALL fromText(const char* text) noexcept override;
    std::int32_t QUORLIN_CALL getValue() noexcept override;
    void QUORLIN_CALL setValue(std::int32_t value) noexcept override;
    std::int32_t QUORLIN_CALL getMin() noexcept override;
    std::int32_t QUORLIN_CALL getMax() noexcept override;
    void QUORLIN_CALL attach(ParameterOwnerInterface* owner, std::int32_t tag) noexcept override;

    // ParameterNotifierInterface
    ResultCode QUORLIN_CALL addListener(UnknownInterface* object) noexcept override;
    ResultCode QUORLIN_CALL removeListener(UnknownInterface* object) noexcept override;
    ResultCode QUORLIN_CALL setOption(std::int32_t kind, std::int32_t enabled) noexcept override;

    std::int32_t attachedTag() const { return tag; }
    ParameterOwnerInterface* attachedOwner() const { return owner; }
    std::uint32_t flagBits() const { return flags; }
    bool isPending() const { return (flags & pending) != 0; }
    std::int32_t referenceCount() const { return refCount.value(); }
    std::int32_t listenerCount() const { return listeners ? listeners->count() : 0; }

    // Clears the owner if it is `leaving`, so a parameter that outlives its module never
    // calls into it; the tag stays.
    void forgetOwner(const ParameterOwnerInterface* leaving);

    // The timer pass's work for one pending parameter, which the caller holds a reference to:
    // tells each listener once, then clears `pending`. Listeners may add or remove listeners,
    // or release this parameter, from inside their call. Returns false, leaving `pending` set for
    // the next tick, when memory for the pass ran out.
    bool deliverPendingChange();

protected:
    // Destroyed through Release or by the registry, never directly.
    ~Parameter() override;

    // Steps shared by every setValue once a new value is stored: the owner at once, then
    // `pending` for the listeners, unless reporting is off. Must be the caller's last use of
    // the object: the owner may drop the last reference from inside its call.
    void reportChange();

private:
    ParameterListenerInterface* queryListener(UnknownInterface* object);
    bool isListening(const ParameterListenerInterface* listener) const;

    ReferenceCount refCount;
    std::int32_t tag = -1;
    std::uint32_t flags = 0;
    ParameterOwnerInterface* owner = nullptr; // no reference held
    std::unique_ptr<NodeList> listeners;      // of ListenerEntry; made by the first addListener
};

} // namespace quorlin
