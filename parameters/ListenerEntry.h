#pragma once

#include "ListNode.h"
#include "component/ParameterInterface.h"

namespace quorlin {

// One registered listener of a parameter. The entry owns one reference to the listener, the
// one its QueryInterface handed out, and gives it back when destroyed.
class ListenerEntry final : public ListNode {
public:
    explicit ListenerEntry(ParameterListenerInterface* registered) : listener(registered) {}
    ~ListenerEntry() override;

    ParameterListenerInterface* const listener;
};

} // namespace quorlin
