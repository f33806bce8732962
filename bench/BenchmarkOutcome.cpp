#include "BenchmarkOutcome.h"

#include "testing/CountingAllocator.h"

#include <cstdio>

namespace quorlin::bench {

namespace {

bool failed = false;

} // namespace

SteadyStateWindow::SteadyStateWindow(benchmark::State& measured, MinimalHostServices& counting,
                                     std::uint64_t unitsPerIteration)
    : state(measured), host(counting), units(unitsPerIteration) {
    host.resetTally();
    allocationsBefore = static_cast<std::uint64_t>(quorlin::testing::allocationCount());
}

void SteadyStateWindow::close(const ExpectedOutput& perIteration) {
    std::uint64_t allocations =
        static_cast<std::uint64_t>(quorlin::testing::allocationCount()) - allocationsBefore;
    auto iterations = static_cast<std::uint64_t>(state.iterations());
    state.counters["units"] = static_cast<double>(units);
    state.counters["allocations"] =
        static_cast<double>(allocations) / static_cast<double>(iterations * units);

    const HostTally& seen = host.tally();
    if (seen.created != perIteration.created * iterations || seen.released != seen.created ||
        seen.outputs != perIteration.outputs * iterations ||
        seen.forwards != perIteration.forwards * iterations) {
        failRun(state, "the host saw other events than the case sends");
    } else if (perIteration.createdValueSum &&
               seen.createdValueSum != *perIteration.createdValueSum * iterations) {
        failRun(state, "controller values differ from what the held keys call for");
    }
    if (allocations != 0) {
        // Not an error row: the figure stays in the report, and the program's status fails.
        failed = true;
        std::fprintf(stderr, "heap allocations in steady state: %llu\n",
                     static_cast<unsigned long long>(allocations));
    }
}

void failRun(benchmark::State& state, const char* reason) {
    failed = true;
    state.SkipWithError(reason);
}

bool usable(benchmark::State& state, const PluginRig& rig) {
    if (!rig.ready()) {
        failRun(state, "the plug-in instance could not be created and initialized");
    }
    return rig.ready();
}

bool anyRunFailed() {
    return failed;
}

} // namespace quorlin::bench
