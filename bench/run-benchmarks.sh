#!/bin/sh
# Builds the native preset's benchmark program, the plug-in and quorlin-host, runs the event-path
# micro benchmarks and the end-to-end comparison, and prints the table that BENCHMARKS.md
# records. Fails when any case allocates in steady state or sends the wrong events, or when the
# host and the reference script disagree. QUORLIN_BENCH_EVENTS sets the end-to-end file size.
set -eu

cd "$(dirname "$0")/.."
root=$(pwd)
. cmake/quorlin-python.sh
python=$(quorlin_python)
build=build/native
results=$build/bench/results
events=${QUORLIN_BENCH_EVENTS:-1000000}

cmake --preset native >/dev/null
cmake --build --preset native --target quorlin_benchmarks quorlin quorlin-host quorlin_lv2 \
    quorlin_lv2_benchmark
mkdir -p "$results"

echo "Micro benchmarks (load average now: $(cut -d' ' -f1-3 /proc/loadavg)); console output in" \
    "$results/micro.txt"
status=0
# Repetitions run interleaved in random order, so a busy spell of the machine hits cases and
# their baselines alike instead of one case's every repetition.
"$build/bench/quorlin_benchmarks" --benchmark_repetitions=8 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_display_aggregates_only=true --benchmark_min_time=0.2 \
    --benchmark_out="$results/micro.json" --benchmark_out_format=json >"$results/micro.txt" ||
    status=1

echo "End to end: $events events through quorlin-host and through bench/reference_process.py"
"$python" bench/end_to_end.py --host "$build/quorlin-host" --work "$results" \
    --json "$results/end-to-end.json" --events "$events"

echo
"$python" bench/report.py --micro "$results/micro.json" \
    --end-to-end "$results/end-to-end.json" --build "$build" >"$results/table.md" || status=1
cat "$results/table.md"

echo
echo "LV2 run through lilv, Quorlin's bundle beside Debian's LV2 MIDI plug-ins:"
# lilv takes LV2_PATH's folders as file URIs: they must be absolute.
LV2_PATH="$root/$build/lv2/plugins:/usr/lib/lv2" "$build/bench/quorlin_lv2_benchmark" \
    >"$results/lv2.md" || status=1
cat "$results/lv2.md"
echo "(load average after the run: $(cut -d' ' -f1-3 /proc/loadavg))"
exit $status
