#!/bin/sh
# clang-tidy, with the checks of .clang-tidy, over every source of our own in the compile
# commands of a build tree (default build/clang, the clang preset), two files at a time. Ends
# with "clang-tidy: N passed, N failed", counting files; the findings of each failing file are
# printed, and every file's output is kept in BUILD/clang-tidy/.
#   sh cmake/clang-tidy.sh [BUILD]
set -u
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
build="${1:-build/clang}"
logs="$build/clang-tidy"

if ! command -v clang-tidy >/dev/null 2>&1; then
    echo "clang-tidy is missing (apt-get install clang-tidy)"
    echo "clang-tidy: 0 passed, 1 failed"
    exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: configure the clang preset first"
    echo "clang-tidy: 0 passed, 1 failed"
    exit 1
fi
rm -rf "$logs"
mkdir -p "$logs"

# Generated sources under build/ are not ours to tidy. The suites in tests/ are left out to keep
# make test within its time: each parses the test framework's headers, which made them two
# thirds of the run. What the suites share (testing/), the fuzzers and the benchmarks are read.
grep -o '"file": "[^"]*"' "$build/compile_commands.json" | sed 's/^"file": "\(.*\)"$/\1/' |
    sed "s|^$root/||" | grep -v -E '^/|^(build|tests)/' | sort -u >"$logs/files"

# The headers of our own folders, wherever the checkout lies, also as a layer's include path
# (build/PRESET/layers/LAYER/) or a view (build/PRESET/views/TARGET/) shows them.
headers="^$root/(build/[^/]+/(layers|views)/[^/]+/)?(bench|component|factory|fuzz|host|legato|library|lv2|module|parameters|platform|product|resources|testing|tests)/"
export build logs headers
xargs -P 2 -I FILE sh -c '
    log="$logs/$(echo "$1" | tr / _).log"
    if clang-tidy -p "$build" --quiet --header-filter="$headers" "$1" >"$log" 2>&1; then
        echo pass >"$log.result"
    else
        echo fail >"$log.result"
        echo "$1:"
        grep -E "(error|warning):" "$log"
    fi' tidy FILE <"$logs/files"

. cmake/count-results.sh
report_results clang-tidy "$logs" "no sources of ours in $build/compile_commands.json"
