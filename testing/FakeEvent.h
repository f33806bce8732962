#pragma once

#include "component/HostEvent.h"
#include "component/HostEventRecord.h"

#include <cstdint>
#include <string>

namespace quorlin::testing {

// An event as the test host keeps it; HostEvent pointers handed to the module point at these.
struct FakeEvent : HostEventRecord {
    int id = 0;
    std::int32_t fourth = 0; // the fourth argument of createEvent
    bool createdByModule = false;
    bool released = false;

    HostEvent* handle() { return reinterpret_cast<HostEvent*>(this); }
    static FakeEvent* from(HostEvent* event) { return reinterpret_cast<FakeEvent*>(event); }
    std::string name() const { return "e" + std::to_string(id); }
};

// What left the module through outputEvent or forwardEvent, as it was at that moment.
struct SentEvent {
    int id;
    std::string path; // "output" or "forward"
    std::int32_t status;
    std::int32_t data1;
    std::int32_t data2;
    std::int32_t position;
    std::int32_t immediate;
    bool createdByModule;
};

} // namespace quorlin::testing
