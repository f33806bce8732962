#include "RecordingHostMidiServices.h"

#include "component/InterfaceId.h"

namespace quorlin::testing {

HostEvent* RecordingHostMidiServices::makeEvent(std::int32_t status, std::int32_t data1,
                                                std::int32_t data2, std::int32_t position,
                                                std::int32_t length, std::int32_t immediate) {
    FakeEvent& made = events.emplace_back();
    made.id = nextEventId++;
    made.status = status;
    made.data1 = data1;
    made.data2 = data2;
    made.position = position;
    made.length = length;
    made.immediate = immediate;
    return made.handle();
}

void RecordingHostMidiServices::log(const std::string& entry) {
    if (recording) {
        calls.push_back(entry);
    }
}

ResultCode RecordingHostMidiServices::QueryInterface(const InterfaceIdBytes* iid,
                                                     void** out) noexcept {
    ++queries;
    return HostMidiServicesBase::QueryInterface(iid, out);
}

std::uint32_t RecordingHostMidiServices::AddRef() noexcept {
    ++addRefs;
    if (recording) {
        log("AddRef");
    }
    return referenceCount.add();
}

std::uint32_t RecordingHostMidiServices::Release() noexcept {
    ++releases;
    if (recording) {
        log("Release");
    }
    return referenceCount.drop();
}

HostEvent* RecordingHostMidiServices::createEvent(std::int32_t status, std::int32_t data1,
                                                  std::int32_t data2,
                                                  std::int32_t fourth) noexcept {
    if (createEventYieldsNull) {
        if (recording) {
            log("createEvent " + std::to_string(status) + " " + std::to_string(data1) + " " +
                std::to_string(data2) + " " + std::to_string(fourth) + " -> null");
        }
        return nullptr;
    }
    HostEvent* handle = nullptr;
    if (!freeEvents.empty()) {
        FakeEvent* reused = freeEvents.back();
        freeEvents.pop_back();
        int id = reused->id;
        *reused = FakeEvent{};
        reused->id = id;
        reused->status = status;
        reused->data1 = data1;
        reused->data2 = data2;
        handle = reused->handle();
    } else {
        handle = makeEvent(status, data1, data2);
    }
    FakeEvent& made = event(handle);
    made.fourth = fourth;
    made.createdByModule = true;
    ++eventsCreated;
    if (recording) {
        log("createEvent " + std::to_string(status) + " " + std::to_string(data1) + " " +
            std::to_string(data2) + " " + std::to_string(fourth) + " -> " + made.name());
    }
    return handle;
}

ResultCode RecordingHostMidiServices::releaseEvent(HostEvent* handle) noexcept {
    FakeEvent& released = event(handle);
    released.released = true;
    ++eventsReleased;
    if (recycling && freeEvents.size() < freeEvents.capacity()) {
        freeEvents.push_back(&released);
    }
    if (recording) {
        log("releaseEvent " + released.name());
    }
    return resultOk;
}

ResultCode RecordingHostMidiServices::send(HostEvent* handle, const char* path, ResultCode result) {
    const FakeEvent& out = event(handle);
    if (recording) {
        log(std::string(path) + "Event " + out.name());
        sent.push_back({out.id, path, out.status, out.data1, out.data2, out.position, out.immediate,
                        out.createdByModule});
    }
    return result;
}

ResultCode RecordingHostMidiServices::outputEvent(HostEvent* handle) noexcept {
    return send(handle, "output", outputResult);
}

ResultCode RecordingHostMidiServices::forwardEvent(HostEvent* handle) noexcept {
    return send(handle, "forward", forwardResult);
}

std::int32_t RecordingHostMidiServices::loggedRead(HostEvent* handle, const char* operation,
                                                   std::int32_t value) {
    if (recording) {
        log(std::string(operation) + " " + event(handle).name());
    }
    return value;
}

ResultCode RecordingHostMidiServices::loggedWrite(HostEvent* handle, const char* operation,
                                                  std::int32_t value, ResultCode result) {
    if (recording) {
        log(std::string(operation) + " " + event(handle).name() + " " + std::to_string(value));
    }
    return result;
}

ResultCode RecordingHostMidiServices::setPosition(HostEvent* handle,
                                                  std::int32_t position) noexcept {
    return loggedWrite(handle, "setPosition", position,
                       HostEventServices::setPosition(handle, position));
}

std::int32_t RecordingHostMidiServices::getPosition(HostEvent* handle) noexcept {
    return loggedRead(handle, "getPosition", HostEventServices::getPosition(handle));
}

std::int32_t RecordingHostMidiServices::getLength(HostEvent* handle) noexcept {
    return loggedRead(handle, "getLength", HostEventServices::getLength(handle));
}

ResultCode RecordingHostMidiServices::setImmediate(HostEvent* handle, std::int32_t on) noexcept {
    return loggedWrite(handle, "setImmediate", on, HostEventServices::setImmediate(handle, on));
}

std::int32_t RecordingHostMidiServices::isImmediate(HostEvent* handle) noexcept {
    return loggedRead(handle, "isImmediate", HostEventServices::isImmediate(handle));
}

std::int32_t RecordingHostMidiServices::getStatus(HostEvent* handle) noexcept {
    return loggedRead(handle, "getStatus", HostEventServices::getStatus(handle));
}

std::int32_t RecordingHostMidiServices::getData1(HostEvent* handle) noexcept {
    return loggedRead(handle, "getData1", HostEventServices::getData1(handle));
}

std::int32_t RecordingHostMidiServices::getData2(HostEvent* handle) noexcept {
    return loggedRead(handle, "getData2", HostEventServices::getData2(handle));
}

ResultCode RecordingHostMidiServices::setHostOption(std::int32_t option) noexcept {
    ++hostOptionCalls;
    if (recording) {
        log("setHostOption " + std::to_string(option));
    }
    return resultOk;
}

} // namespace quorlin::testing
