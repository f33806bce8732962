#pragma once

#include "BenchEvent.h"
#include "component/HostEventServices.h"

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

// The cheapest host the plug-in can run on: reads and writes are the shared field accesses, sends
// only count, and created events come from a fixed pool. Nothing here touches the heap.
class MinimalHostServices final : public HostEventServices<BenchmarkEvent> {
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
    // Sending only counts.
    ResultCode QUORLIN_CALL outputEvent(HostEvent*) noexcept override {
        ++counts.outputs;
        return resultOk;
    }
    ResultCode QUORLIN_CALL forwardEvent(HostEvent*) noexcept override {
        ++counts.forwards;
        return resultOk;
    }

private:
    HostTally counts;
    std::array<BenchmarkEvent, poolSize> pool;
    std::array<BenchmarkEvent*, poolSize> spare;
    std::size_t spareCount = poolSize;
};

} // namespace quorlin::bench
