#pragma once

#include "MinimalHostServices.h"
#include "PluginRig.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>

namespace quorlin::bench {

// What one iteration must make the host see. A value sum left empty is not checked.
struct ExpectedOutput {
    std::uint64_t created = 0;
    std::uint64_t outputs = 0;
    std::uint64_t forwards = 0;
    std::optional<std::uint64_t> createdValueSum;
};

// Opened after warm-up, right before the timed loop; closed right after it. Closing sets the
// counters the report reads ("units" per iteration and "allocations" per unit), fails the
// benchmark when the host saw other output than expected, and fails the program when the heap
// was touched.
class SteadyStateWindow {
public:
    SteadyStateWindow(benchmark::State& measured, MinimalHostServices& counting,
                      std::uint64_t unitsPerIteration);
    void close(const ExpectedOutput& perIteration);

private:
    benchmark::State& state;
    MinimalHostServices& host;
    std::uint64_t units;
    std::uint64_t allocationsBefore;
};

// Rounds run before the count starts, so that every case is in its steady state: the held-note
// table at its working size and the host's event pool in use.
inline constexpr int warmUpRounds = 2000;

// Runs `step` until the plug-in is in its steady state, then times one step per iteration in a
// window that checks what the host saw.
template <class Step>
void measureSteadyState(benchmark::State& state, MinimalHostServices& host, Step& step,
                        const ExpectedOutput& perIteration) {
    for (int i = 0; i < warmUpRounds; ++i) {
        step();
    }
    SteadyStateWindow window(state, host, 1);
    for (auto _ : state) {
        step();
    }
    window.close(perIteration);
}

// Marks a benchmark failed, for the program's exit status as well as its report.
void failRun(benchmark::State& state, const char* reason);

// Fails the benchmark when its plug-in instance could not be set up; true when it is usable.
bool usable(benchmark::State& state, const PluginRig& rig);

// Sets up a plug-in instance and the way `Path` runs events through it, and hands both to `run`;
// when the instance could not be set up the benchmark fails instead.
template <class Path, class Run> void onPath(benchmark::State& state, Run run) {
    PluginRig rig;
    if (!usable(state, rig)) {
        return;
    }
    Path path(rig);
    run(rig, path);
}

// Whether any benchmark of this program failed.
bool anyRunFailed();

} // namespace quorlin::bench
