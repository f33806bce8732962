#pragma once

#include "BenchEvent.h"
#include "component/HostMidiServicesBase.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorlin::bench {

// What the host saw leave the plug-in; checked after a run so that a benchmark that measured
// the wrong thing fails instead of reporting a figure.
struct HostTally {
    std::uint64_t created = 0;
    std::uint64_t released = 0;
    std::uint64_t outputs = 0;
    std::uint64_t forwards = 0;
    // Sum of the values of created events: tells controllers 65 with 127 from those with 0.
    std::uint64_t createdValueSum = 0;
};

// The cheapest host the plug-in can run on: reads are field loads, sends only count, and
// created events come from a fixed pool. Nothing here touches the heap.
class MinimalHostServices final : public HostMidiServicesBase {
public:
    static constexpr std::size_t poolSize = 8;

    MinimalHostServices();
    MinimalHostServices(const MinimalHostServices&) = delete;
    MinimalHostServices& operator=(const MinimalHostServices&) = delete;
    ~MinimalHostServices() = default;

    const HostTally& tally() const { return counts; }
    void resetTally() { counts = HostTally{}; }

    HostEvent* QUORLIN_CALL createEvent(std::int32_t status, std::int32_t data1, std::int32_t data2,
                                        std::int32_t fourth) noexcept override;
    ResultCode QUORLIN_CALL releaseEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL outputEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL forwardEvent(HostEvent* event) noexcept override;
    // Reads and writes are field accesses on the pooled or incoming event.
    ResultCode QUORLIN_CALL setPosition(HostEvent* event, std::int32_t position) noexcept override {
        event->position = position;
        return resultOk;
    }
    ResultCode QUORLIN_CALL setImmediate(HostEvent* event, std::int32_t on) noexcept override {
        event->immediate = on;
        return resultOk;
    }
    std::int32_t QUORLIN_CALL getPosition(HostEvent* e) noexcept override { return e->position; }
    std::int32_t QUORLIN_CALL getLength(HostEvent* e) noexcept override { return e->length; }
    std::int32_t QUORLIN_CALL isImmediate(HostEvent* e) noexcept override { return e->immediate; }
    std::int32_t QUORLIN_CALL getStatus(HostEvent* e) noexcept override { return e->status; }
    std::int32_t QUORLIN_CALL getData1(HostEvent* e) noexcept override { return e->data1; }
    std::int32_t QUORLIN_CALL getData2(HostEvent* e) noexcept override { return e->data2; }

private:
    HostTally counts;
    std::array<HostEvent, poolSize> pool;
    std::array<HostEvent*, poolSize> spare;
    std::size_t spareCount = poolSize;
};

} // namespace quorlin::bench
