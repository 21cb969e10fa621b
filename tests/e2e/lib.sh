# Checks and results of the end-to-end tests; driving the program is in scripts/lib/xdrive.sh.
# Sourced by each test script, whose first argument is the program to test.
set -u
export LC_ALL=C   # for the X tools; the program itself runs with the Japanese locale

E2E_NAME=$(basename "$0" .sh)
E2E_OUT="${TVX_BUILD:-$(pwd)}/e2e/$E2E_NAME"
XD_DIR="$E2E_OUT"
rm -rf "$E2E_OUT"
mkdir -p "$E2E_OUT"
E2E_FAILURES=0

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xdrive.sh"

fail() { echo "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
pass() { echo "ok: $*"; }
check() { # check "description" command...
    local what="$1"; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

trap end_program EXIT

# Presses X in the main window and checks that the program ends; $1 says what is checked.
check_exit_key() {
    local t took
    activate "$MAIN_WIN"
    t=$(now_ms)
    xdo key x
    took=$(wait_for_exit "$t")
    check "$1 (took $took ms)" [ "$took" != running ]
}

e2e_finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        echo "$E2E_FAILURES check(s) failed; pictures in $E2E_OUT"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

