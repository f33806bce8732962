#!/bin/sh
# Configures, builds and tests each named preset, then prints one summary line with the count
# of every stage. Each argument is a lane: stages joined by commas run one after the other, and
# the lanes run side by side, so one lane's tests and waits leave room for another's build:
#   sh cmake/test-presets.sh native,memcheck win32,win64
# A preset whose compiler is not installed fails, naming it, and a skipped test counts as a
# failure, but for win32's on machines that cannot execute 32-bit programs. Four further stages can be
# named: fuzz-smoke (each fuzzer for a few seconds), memcheck (valgrind over the native suites),
# clang-tidy (cmake/clang-tidy.sh over the clang preset's compile commands) and web (the web
# plug-in built and tested in Node and Chromium, cmake/web-tests.sh); each ends with
# its own "NAME: N passed, N failed" line. Stages that share a build tree belong in one lane:
# memcheck and web after native, clang-tidy after clang. win64 stands in for win32 on machines that
# cannot execute 32-bit programs: after a win32 that ran all its tests it is reported as
# run-as-win32 and not built again.
# Each stage's output goes to build/NAME.log (a preset's tests to build/NAME-ctest.log); what
# each took is printed as it ends and kept in build/stages/NAME.
results=build/stages
rm -rf "$results"
mkdir -p "$results"

# Records one stage's counts: passed, failed, skipped, the label the summary shows, seconds.
record() {
    echo "$2 $3 $4 $5 $6" >"$results/$1"
}

# Reads the last "NAME: N passed, N failed" line of a log; none counts as one failure.
counted_stage() {
    name="$1"
    shift
    log="build/$name.log"
    "$@" >"$log" 2>&1
    line=$(grep -E '^[a-z-]+: [0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
    good=$(echo "$line" | sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\1/p')
    bad=$(echo "$line" | sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\2/p')
    good=${good:-0}
    bad=${bad:-1}
    record "$name" "$good" "$bad" 0 "$good/$((good + bad))" "$(($(date +%s) - started))"
}

preset_stage() {
    preset="$1"
    case "$preset" in
        win32) compiler=i686-w64-mingw32-g++-posix ;;
        win64) compiler=x86_64-w64-mingw32-g++-posix ;;
        clang) compiler=clang++ ;;
        *) compiler=g++ ;;
    esac
    if ! command -v "$compiler" >/dev/null 2>&1; then
        echo "$preset: missing: $compiler (make toolchain installs it)" >"build/$preset.log"
        record "$preset" 0 1 0 "missing-$compiler" 0
        return
    fi
    log="build/$preset-ctest.log"
    if ! cmake --preset "$preset" >"build/$preset.log" 2>&1 ||
        ! cmake --build --preset "$preset" >>"build/$preset.log" 2>&1; then
        echo "$preset: build failed" >>"build/$preset.log"
        record "$preset" 0 1 0 build-failed "$(($(date +%s) - started))"
        return
    fi
    ctest --preset "$preset" >"$log" 2>&1
    total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$log")
    bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$log")
    skip=$(grep -c '\*\*\*Skipped\|Not Run (Disabled)\| Skipped ' "$log")
    total=${total:-0}
    bad=${bad:-1}
    # A test that skipped did not run, and counts as failed: only win32's suites may skip, on a
    # machine that cannot execute 32-bit programs, where win64 then runs them.
    if [ "$preset" != win32 ]; then
        bad=$((bad + skip))
        skip=0
    fi
    record "$preset" "$((total - bad - skip))" "$bad" "$skip" "$((total - bad - skip))/$total" \
        "$(($(date +%s) - started))"
}

run_stage() {
    stage="$1"
    started=$(date +%s)
    echo "== $stage"
    case "$stage" in
        fuzz-smoke) counted_stage fuzz-smoke sh fuzz/run-fuzzers.sh --smoke ;;
        memcheck) counted_stage memcheck sh tests/reliability/run-memcheck.sh ;;
        clang-tidy) counted_stage clang-tidy sh cmake/clang-tidy.sh build/clang ;;
        web) counted_stage web sh cmake/web-tests.sh ;;
        win64)
            # win64 runs the Windows sources for machines that cannot execute 32-bit programs.
            # Where win32 ran all of its tests in this run, it has already run them.
            if [ -f "$results/win32" ] && read -r good bad skip label seconds <"$results/win32" &&
                [ "$good" -gt 0 ] && [ "$bad" -eq 0 ] && [ "$skip" -eq 0 ]; then
                record win64 0 0 0 run-as-win32 0
            else
                preset_stage win64
            fi ;;
        *) preset_stage "$stage" ;;
    esac
    [ -f "$results/$stage" ] || record "$stage" 0 1 0 failed "$(($(date +%s) - started))"
    read -r good bad skip label seconds <"$results/$stage"
    echo "$stage: $label in $seconds s"
    if [ "$bad" -ne 0 ]; then
        # The failing part of the stage's output, from the test log where there is one.
        log="build/$stage.log"
        [ -f "build/$stage-ctest.log" ] && log="build/$stage-ctest.log"
        tail -n 40 "$log" | sed "s/^/$stage| /"
    fi
}

run_lane() {
    for stage in $(echo "$1" | tr ',' ' '); do
        run_stage "$stage"
    done
}

order=""
for lane in "$@"; do
    order="$order $(echo "$lane" | tr ',' ' ')"
    run_lane "$lane" &
done
wait

passed=0
failed=0
skipped=0
report=""
for stage in $order; do
    read -r good bad skip label seconds <"$results/$stage"
    passed=$((passed + good))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
    report="$report $stage:$label"
done
echo "presets:$report"
echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
