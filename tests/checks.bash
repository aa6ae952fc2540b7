# Named checks that each count as passed or failed, for the scripts that
# run several: check NAME COMMAND..., then checks_done WHAT, which prints
# "WHAT: N passed, M failed" and fails if any did. Sourced, not run.
passed=0
failed=0
check() {
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $name"
        failed=$((failed + 1))
    fi
}
checks_done() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
