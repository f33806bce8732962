#!/bin/sh
# The web stage of `make test`: builds the web plug-in (cmake/web-build.sh) and the native bank's
# trace program, then runs the Node and Chromium suites of tests/web/ and ends with
# "web: N passed, N failed". A missing tool or build fails the stage and names it.
cd "$(dirname "$0")/.."
if ! sh cmake/web-build.sh; then
    echo "web: 0 passed, 1 failed"
    exit 1
fi
if ! nice -n 10 cmake --build build/native --target quorlin-bank-trace >/dev/null; then
    echo "web: build of quorlin-bank-trace failed"
    echo "web: 0 passed, 1 failed"
    exit 1
fi
log=build/web-tests.tap
timeout 600 node --test --test-reporter=tap tests/web/*.test.js >"$log" 2>&1
status=$?
grep -v '^ *\(duration_ms\|\.\.\.\|---\)' "$log" | grep -E '^(not ok|ok|#)|missing|error' | head -60
passed=$(sed -n 's/^# pass \([0-9]*\)$/\1/p' "$log")
failed=$(sed -n 's/^# fail \([0-9]*\)$/\1/p' "$log")
passed=${passed:-0}
failed=${failed:-1}
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "web: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
