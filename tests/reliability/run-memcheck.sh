#!/bin/sh
# valgrind memcheck over every native test program: builds the native preset, then runs each
# test executable found under build/native/tests whole, from its own directory, two at a time.
# A program passes when its tests pass and memcheck reports no error and no definite or
# possible leak. Logs go to build/native/memcheck/.
# Some suites replace the global operator new to count or fail allocations; memcheck is told
# to leave allocation functions defined in a program alone (somalloc=nouserintercepts), so
# those replacements run as written and memcheck still watches the C library's heap beneath.
# valgrind runs one thread at a time; its default lock lets a thread that yields take the CPU
# straight back, so a test whose main thread polls its workers took from 5 s to over 20 min.
# The fair lock hands turns out in order.
set -u
cd "$(dirname "$0")/../.." || exit 1
root=$(pwd)
logs="$root/build/native/memcheck"
suppressions="$root/tests/reliability/memcheck.supp"

if ! command -v valgrind >/dev/null 2>&1; then
    echo "valgrind is missing (apt-get install valgrind)"
    echo "memcheck: 0 passed, 1 failed"
    exit 1
fi
if ! cmake --preset native >/dev/null || ! cmake --build --preset native; then
    echo "memcheck: 0 passed, 1 failed"
    exit 1
fi

rm -rf "$logs"
mkdir -p "$logs"
# Test programs are the ELF executables; the plug-in-like libraries beside them are not.
find build/native/tests -type f -perm -u+x ! -name '*.so' | sort | while read -r program; do
    if [ "$(head -c 4 "$program" | tr -d '\000' | cut -c2-4)" = "ELF" ]; then
        echo "$root/$program"
    fi
done >"$logs/programs"

# What a program that is not a test suite runs on.
arguments() {
    case "$1" in
    quorlin-bank-trace) echo --demo ;;
    esac
}

check() {
    program="$1"
    name=$(basename "$program")
    start=$(date +%s)
    (cd "$(dirname "$program")" &&
        valgrind --tool=memcheck --fair-sched=yes --error-exitcode=1 --leak-check=full \
            --soname-synonyms=somalloc=nouserintercepts \
            --suppressions="$suppressions" --log-file="$logs/$name.valgrind" \
            "$program" $(arguments "$name") >"$logs/$name.out" 2>&1)
    status=$?
    seconds=$(($(date +%s) - start))
    if [ "$status" -eq 0 ]; then
        echo "$name: clean (${seconds} s)"
        echo pass >"$logs/$name.result"
    else
        echo "$name: FAILED, exit $status (${seconds} s; $logs/$name.valgrind, $logs/$name.out)"
        grep -m 6 -E 'ERROR SUMMARY|definitely lost|possibly lost|Invalid|uninitialised' \
            "$logs/$name.valgrind"
        grep -m 4 -E '^\[  FAILED  \]' "$logs/$name.out"
        echo fail >"$logs/$name.result"
    fi
}

# Two programs at a time: the machine has two cores.
running=0
while read -r program; do
    check "$program" &
    running=$((running + 1))
    if [ "$running" -ge 2 ]; then
        wait
        running=0
    fi
done <"$logs/programs"
wait

. cmake/count-results.sh
report_results memcheck "$logs" "no test programs found under build/native/tests"
