#!/bin/sh
# Builds the libFuzzer targets in build/fuzz and runs each in turn, one process at a time:
# first over the committed regression inputs, then fuzzing from the committed seed corpus
# (the growing working corpus stays in build/fuzz/work).
#   fuzz/run-fuzzers.sh              600 seconds per target
#   fuzz/run-fuzzers.sh --seconds N  N seconds per target
#   fuzz/run-fuzzers.sh --smoke      about 15 seconds per target
# Naming targets after the option runs only those.
set -u
# The fuzzer logs carry raw input bytes; read them as bytes.
export LC_ALL=C
usage="usage: $0 [--smoke | --seconds N] [call_sequence] [decimal_text] [midi_file]"
seconds=600
case "${1:-}" in
    --smoke)
        seconds=15
        shift ;;
    --seconds)
        seconds="${2:-}"
        case "$seconds" in '' | *[!0-9]*) echo "$usage"; exit 2 ;; esac
        shift 2 ;;
    -*) echo "$usage"; exit 2 ;;
esac
targets="${*:-call_sequence decimal_text midi_file}"
for target in $targets; do
    case "$target" in
        call_sequence | decimal_text | midi_file) ;;
        *) echo "$usage"; exit 2 ;;
    esac
done

cd "$(dirname "$0")/.." || exit 1
build=build/fuzz
mkdir -p build
count=$(echo $targets | wc -w)

if ! command -v clang++ >/dev/null 2>&1; then
    echo "clang++ is missing (install clang and libclang-rt-14-dev)"
    echo "fuzz: 0 passed, $count failed"
    exit 1
fi
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DQUORLIN_FUZZ=ON >"$build.configure.log" 2>&1 ||
    ! cmake --build "$build" --target call_sequence_fuzzer decimal_text_fuzzer \
        midi_file_fuzzer; then
    [ -f "$build.configure.log" ] && tail -20 "$build.configure.log"
    echo "fuzz: 0 passed, $count failed"
    exit 1
fi

passed=0
failed=0
for target in $targets; do
    fuzzer="$build/fuzz/${target}_fuzzer"
    work="$build/work/$target"
    log="$build/$target.log"
    mkdir -p "$work" "$build/artifacts"
    ok=1

    # Every committed regression input of this target must run clean.
    regressions=$(find fuzz/regressions -type f -name "${target}-*" 2>/dev/null | sort)
    if [ -n "$regressions" ]; then
        # shellcheck disable=SC2086
        if ! "$fuzzer" $regressions >"$build/$target.regressions.log" 2>&1; then
            echo "$target: a regression input fails again (see $build/$target.regressions.log)"
            grep -a -m 5 -E 'mismatch|ERROR|SUMMARY' "$build/$target.regressions.log"
            ok=0
        fi
    fi

    started=$(date +%s)
    "$fuzzer" "$work" "fuzz/corpus/$target" -max_total_time="$seconds" -max_len=2048 \
        -timeout=10 -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
        >"$log" 2>&1
    status=$?
    elapsed=$(($(date +%s) - started))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    last=$(grep -a -E '^#[0-9]+' "$log" | tail -1 | cut -c1-200)
    cov=$(echo "$last" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
    features=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
    corpus=$(echo "$last" | sed -n 's/.*corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1/p')
    echo "$target: ${runs:-0} runs in ${elapsed} s (${rate:-0}/s), coverage ${cov:-?} edges," \
         "${features:-?} features, corpus ${corpus:-?}, exit $status"
    if [ "$status" -ne 0 ]; then
        echo "$target: finding (log $log, input in $build/artifacts/):"
        grep -a -m 8 -E 'model mismatch|ERROR|SUMMARY|^  (sent|expected)' "$log"
        ok=0
    fi
    if [ "$ok" -eq 1 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
