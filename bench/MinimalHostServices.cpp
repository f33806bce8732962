#include "MinimalHostServices.h"

namespace quorlin::bench {

MinimalHostServices::MinimalHostServices() {
    for (std::size_t i = 0; i < poolSize; ++i) {
        spare[i] = &pool[i];
    }
}

HostEvent* MinimalHostServices::createEvent(std::int32_t status, std::int32_t data1,
                                            std::int32_t data2, std::int32_t) noexcept {
    if (spareCount == 0) {
        return nullptr; // the plug-in leaked every pooled event; the tally shows it
    }
    BenchmarkEvent* event = spare[--spareCount];
    *event = BenchmarkEvent{{status, data1, data2}};
    ++counts.created;
    counts.createdValueSum += static_cast<std::uint64_t>(data2);
    return handleOf(event);
}

ResultCode MinimalHostServices::releaseEvent(HostEvent* event) noexcept {
    if (spareCount == poolSize) {
        return resultInvalidArgument;
    }
    spare[spareCount++] = eventOf(event);
    ++counts.released;
    return resultOk;
}

} // namespace quorlin::bench
