# Sourced by the scripts that run a check per file or program and leave one NAME.result file,
# holding "pass" or "fail", for each in a folder.
#   report_results STAGE FOLDER WHAT-WHEN-NONE
# prints "STAGE: N passed, N failed" (the line cmake/test-presets.sh reads), counting none at
# all as one failure, with WHAT-WHEN-NONE before it, and answers whether all passed.
report_results() {
    passed=$(grep -l pass "$2"/*.result 2>/dev/null | wc -l)
    failed=$(grep -l fail "$2"/*.result 2>/dev/null | wc -l)
    if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
        echo "$3"
        failed=1
    fi
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
