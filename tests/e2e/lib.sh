# Checks and results of the end-to-end tests; driving the program is in scripts/lib/xdrive.sh.
# Sourced by each test script, whose first argument is the program to test.
set -u
export LC_ALL=C   # for the X tools; the program itself runs with the Japanese locale

E2E_NAME=${E2E_NAME:-$(basename "$0" .sh)}
E2E_OUT="${TVX_BUILD:-$(pwd)}/e2e/$E2E_NAME"
XD_DIR="$E2E_OUT"
rm -rf "$E2E_OUT"
mkdir -p "$E2E_OUT"
E2E_FAILURES=0

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/xdrive.sh"
# stereoshot keeps the sides of a rig from one run to the next: every test starts without them.
rm -f "${WINEPREFIX:-/nonexistent}"/drive_c/users/*/AppData/Roaming/stereoshot/settings.ini

fail() { echo "FAIL: $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
pass() { echo "ok: $*"; }
check() { # check "description" command...
    local what="$1"; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

trap end_program EXIT

# The colour of a pixel of an image file, as r,g,b.
pixel() { timeout 30 convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
near() {   # near r,g,b r,g,b: every channel within 24
    local IFS=,
    read -r a b c <<<"$1"
    read -r x y z <<<"$2"
    [ $(( (a-x)*(a-x) < 576 && (b-y)*(b-y) < 576 && (c-z)*(c-z) < 576 )) = 1 ]
}
# The whole half of a capture (left: offset 0, right: 640) against the test camera's picture of
# the frame number that half carries: the peak signal-to-noise ratio in dB, or "inf".
TESTPICTURE="$(dirname "$1")/tests/testpicture.exe"
half_psnr() {
    local file="$1" offset="$2" camera="$3" out="$E2E_OUT/half-$2-$3"
    timeout 30 convert "$file" -crop "640x480+$offset+0" +repage -depth 8 "rgb:$out.rgb"
    timeout 30 convert "$file" -crop "640x480+$offset+0" +repage "$out.png"
    env LC_ALL=ja_JP.UTF-8 timeout 30 "$TVX_WINE" "$TESTPICTURE" "$camera" "$out.rgb" "$out-ref.ppm" \
        </dev/null >/dev/null 2>&1 || { echo 0; return; }
    timeout 30 compare -metric PSNR "$out.png" "$out-ref.ppm" null: 2>&1 | awk '{print $1}'
}
matches() {   # matches PSNR [dB]: 50 dB or better (a JPEG of quality 100, 4:4:4; a torn or shifted frame is far below)
    [ "$1" = inf ] || awk -v p="$1" -v m="${2:-50}" 'BEGIN { exit !(p + 0 >= m) }'
}


# Start with text window 0 logging: the button box opens, and the Left window's picture changes
# (its last shot is $E2E_OUT/left-2.png). LOG names the log, TEXT_WIN, LEFT and BOX the windows.
start_live() {
    LOG="$E2E_OUT/TORVEX0.LOG"
    TEXT_WIN=$(wait_window '^TextWindow 0$')
    start_log "$TEXT_WIN"
    LEFT=$(wait_window '^Left\(70%\)$')
    start_capture
    check "Start opens the button box" [ -n "$BOX" ]
    sleep 1
    shot -window "$LEFT" "$E2E_OUT/left-1.png"
    sleep 0.3
    shot -window "$LEFT" "$E2E_OUT/left-2.png"
    check "the Left window shows live pictures" different_picture "$E2E_OUT/left-1.png" "$E2E_OUT/left-2.png"
}

# Presses Stop, then prints the log of text window TEXT_WIN as it stands, line ends without CR.
said_at_stop() { stop_and_flush >/dev/null; tr -d '\r' <"$LOG"; }

# The colour of client point (x, y) of a window as #RRGGBB.
colour_at() {
    shot -window "$1" "$E2E_OUT/probe.png" 2>/dev/null &&
        convert "$E2E_OUT/probe.png" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
        grep -o '#[0-9A-F]\{6\}' | head -n 1
}

# Presses X (or runs the command given) on the main window and checks that the program ends;
# $1 says what is checked, TOOK how many milliseconds it took. A key sent while the window takes
# the focus can be lost under Xvfb: a second press then, said so. With a limit (MAX_MS), the end
# must come within it.
check_exit_key() {
    local what="$1" t presses
    shift
    [ $# = 0 ] && set -- xdo key x
    for presses in 1 2; do
        activate "$MAIN_WIN"
        t=$(now_ms)
        "$@"
        TOOK=$(wait_for_exit "$t")
        [ "$TOOK" != running ] && break
    done
    check "$what (took $TOOK ms, $presses press(es))" \
        bash -c '[ "$1" != running ] && { [ -z "$2" ] || [ "$1" -lt "$2" ]; }' _ "$TOOK" "${MAX_MS:-}"
}

e2e_finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        echo "$E2E_FAILURES check(s) failed; pictures in $E2E_OUT"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

