#!/usr/bin/env bash
# The set-up steps of the scripts fail loudly: a test camera DLL that is missing or does not load
# makes the registration step fail and say which step, with the command it ran. Runs in the
# prefix and under the loader of the width being tested.
set -u
export LC_ALL=C
source "$(dirname "$0")/../../scripts/lib/wine-env.sh"
OUT="$TVX_BUILD/e2e/setup_failures"
rm -rf "$OUT"
mkdir -p "$OUT"
failures=0
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi; }

register() {   # register DLL: the step's exit code, its message in $OUT/said
    tvx_register_testcam "$1" 2>"$OUT/said"
}

register "$OUT/missing.dll"
check "a missing DLL fails the registration" [ $? = 1 ]
check "and names the step and the file" \
    grep -q "set-up step failed: registering the test cameras: no test camera DLL at $OUT/missing.dll" "$OUT/said"

printf 'not a library\n' >"$OUT/broken.dll"
register "$OUT/broken.dll"
check "a DLL that does not load fails the registration" [ $? = 1 ]
check "and names the step" grep -q "^set-up step failed: registering the test cameras$" "$OUT/said"
check "and the command with its exit code" \
    grep -qE "command: $TVX_WINE regsvr32 /s $OUT/broken.dll .*exit code [1-9]" "$OUT/said"
cat "$OUT/said"
[ $failures = 0 ]
