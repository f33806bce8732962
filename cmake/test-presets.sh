#!/bin/sh
# Configures, builds and tests each named preset, then prints one summary line.
# A preset whose toolchain is not installed is reported as not run.
passed=0
failed=0
skipped=0
report=""
status=0
for preset in "$@"; do
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
