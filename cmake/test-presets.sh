#!/bin/sh
# Configures, builds and tests each named preset, then prints one summary line.
# A preset whose toolchain is not installed is reported as not run. Two further stages can be
# named: fuzz-smoke (each fuzzer for a few seconds) and memcheck (valgrind over the native
# suites); each ends with its own "NAME: N passed, N failed" line.
passed=0
failed=0
skipped=0
report=""
status=0
stage() {
    name="$1"
    shift
    echo "== $name"
    log="build/$name.log"
    mkdir -p build
    "$@" 2>&1 | tee "$log"
    line=$(grep -E '^[a-z-]+: [0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
    good=$(echo "$line" | sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\1/p')
    bad=$(echo "$line" | sed -n 's/.*: \([0-9]*\) passed, \([0-9]*\) failed.*/\2/p')
    good=${good:-0}
    bad=${bad:-1}
    passed=$((passed + good))
    failed=$((failed + bad))
    report="$report $name:$good/$((good + bad))"
    [ "$bad" -eq 0 ] || status=1
}

for preset in "$@"; do
    case "$preset" in
        fuzz-smoke)
            stage fuzz-smoke sh fuzz/run-fuzzers.sh --smoke
            continue ;;
        memcheck)
            stage memcheck sh tests/reliability/run-memcheck.sh
            continue ;;
    esac
    case "$preset" in
        win32) compiler=i686-w64-mingw32-g++-posix ;;
        win64) compiler=x86_64-w64-mingw32-g++-posix ;;
        *) compiler=g++ ;;
    esac
    if ! command -v "$compiler" >/dev/null 2>&1; then
        report="$report $preset:not-run"
        continue
    fi
    echo "== $preset"
    log="build/$preset-ctest.log"
    mkdir -p build
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
        echo "$preset: build failed"
        report="$report $preset:build-failed"
        status=1
        continue
    fi
    ctest --preset "$preset" 2>&1 | tee "$log"
    total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$log")
    bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$log")
    skip=$(grep -c '\*\*\*Skipped\|Not Run (Disabled)\| Skipped ' "$log")
    total=${total:-0}
    bad=${bad:-1}
    passed=$((passed + total - bad - skip))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
    report="$report $preset:$((total - bad - skip))/$total"
    [ "$bad" -eq 0 ] || status=1
done
echo "presets:$report"
echo "total: $passed passed, $failed failed, $skipped skipped"
exit $status
