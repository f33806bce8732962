#pragma once

#include "component/HostEventRecord.h"

#include <cstdint>
#include <vector>

namespace quorlin::reliability {

// An event as the host hands it to processEvent.
using ModelEvent = HostEventRecord;

// One event leaving the module, as the host sees it when it is sent.
struct ExpectedSend {
    bool forward = false; // forwardEvent rather than outputEvent
    std::int32_t status = 0;
    std::int32_t data1 = 0;
    std::int32_t data2 = 0;
    std::int32_t position = 0;
    std::int32_t immediate = 0;
    bool createdByModule = false;

    bool operator==(const ExpectedSend&) const = default;
};

// The answer to one host call and everything it sent, in order.
struct ExpectedCall {
    std::int32_t result = 0;
    std::vector<ExpectedSend> sends;
};

// How the host's event services behave for an instance.
struct HostBehaviour {
    bool createYieldsNull = false;
    std::int32_t outputResult = 0;
    std::int32_t forwardResult = 0;
};

// What the host hands to initialize.
enum class ContextKind { answering, refusing, null };

// The observable behaviour of one module instance: its host connection, the keys it holds and
// the portamento time it owes, written from the product's rules rather than from its code.
class ReferenceInstance {
public:
    static constexpr std::int32_t notConnected = static_cast<std::int32_t>(0x8000FFFFu);
    static constexpr std::int32_t invalidArgument = static_cast<std::int32_t>(0x80070057u);

    ExpectedCall processEvent(const ModelEvent& event, const HostBehaviour& host);
    ExpectedCall processTime(std::int32_t position, std::int32_t immediate,
                             const HostBehaviour& host);
    void start() { speedDue = true; }
    void stop() { keys.clear(); }

    // Result of initialize; a refused or null context leaves the connection as it was.
    std::int32_t initialize(ContextKind context);
    void terminate() { isConnected = false; }
    // The owned parameter's change, reported at once.
    void speedChanged(std::int32_t value);

    bool connected() const { return isConnected; }
    int successfulInitializes() const { return initializes; }
    std::size_t heldKeys() const { return keys.size(); }
    // Index of the instance's parameter in the host's registry, -1 before the first initialize.
    int parameter = -1;

private:
    struct Key {
        std::int32_t note;
        bool ends;
        std::int32_t end;
    };

    void press(std::int32_t note, std::int32_t position, std::int32_t length);
    void release(std::int32_t note);
    static ExpectedSend sent(const ModelEvent& event, bool immediate);

    bool isConnected = false;
    int initializes = 0;
    std::int32_t speed = -1;
    bool speedDue = false;
    std::vector<Key> keys; // at most one per note number, in no particular order
};

} // namespace quorlin::reliability
