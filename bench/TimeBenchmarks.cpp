#include "TimeBenchmarks.h"

#include "BenchmarkOutcome.h"
#include "EventPaths.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace quorlin::bench {

namespace {

constexpr std::int32_t speed = 64;

// Position calls with no controller due: the plug-in's whole cost, as the host makes no call.
void positionIdle(benchmark::State& state) {
    PluginRig rig;
    if (!usable(state, rig)) {
        return;
    }
    ModuleInterface& module = rig.module();
    std::int32_t position = 0;
    auto step = [&] { benchmark::DoNotOptimize(module.processTime(++position, 0, 0)); };
    measureSteadyState(state, rig.host(), step,
                       {.created = 0, .outputs = 0, .forwards = 0, .createdValueSum = 0});
}

// A position call with controller 5 due: the speed is set once, and a start before each
// position call makes it due again, as pressing play does.
template <class Path> void positionSpeedDue(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        if (!rig.setSpeed(speed)) {
            failRun(state, "portamentoSpeed could not be set");
            return;
        }
        std::int32_t position = 0;
        auto step = [&] { benchmark::DoNotOptimize(path.speedDue(++position, speed)); };
        measureSteadyState(state, rig.host(), step,
                           {.created = 1, .outputs = 1, .forwards = 0, .createdValueSum = speed});
    });
}

} // namespace

void registerTimeBenchmarks() {
    benchmark::RegisterBenchmark("plugin/positionIdle", positionIdle);
    benchmark::RegisterBenchmark("plugin/positionSpeedDue", positionSpeedDue<ThroughPlugin>);
    benchmark::RegisterBenchmark("baseline/positionSpeedDue", positionSpeedDue<HostCallsOnly>);
}

} // namespace quorlin::bench
