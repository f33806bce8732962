#include "BenchmarkOutcome.h"
#include "EventBenchmarks.h"
#include "TimeBenchmarks.h"

#include <benchmark/benchmark.h>

// Google Benchmark's own main, plus an exit status that fails when any case allocated in
// steady state or saw the wrong output.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    quorlin::bench::registerEventBenchmarks();
    quorlin::bench::registerTimeBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return quorlin::bench::anyRunFailed() ? 1 : 0;
}
