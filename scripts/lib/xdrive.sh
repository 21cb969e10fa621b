# Drives the program's windows on an X display with xdotool, xwininfo and ImageMagick: start
# it under Wine, find its windows, look at them, press its keys. Sourced by scripts/run and the
# end-to-end tests; XD_DIR is the folder the program runs in and pictures go to.

PROGRAM_PID=""
# Where the test cameras write their settings, frame counts and state (tvx-testcam-N.state).
CAMERA_STATE="${WINEPREFIX:-$HOME/.wine}/drive_c/users/Public"
now_ms() { date +%s%3N; }
# The Wine loader of the program's width (tvx_use_width or the test's environment sets it).
: "${TVX_WINE:?must name the Wine loader of the program width, /usr/lib/wine/wine or wine64}"

# Every X client call is bounded: a grab or a lost window must fail a check, not hang the run.
xdo() { timeout 10 xdotool "$@"; }
shot() { timeout 10 import "$@"; }
# Registers the test cameras beside the program $EXE in the mode given (the words
# testcam/register takes), or with /u after the mode unregisters them.
regsvr() { env LC_ALL=ja_JP.UTF-8 TVX_TESTCAM_MODE="$1" "$TVX_WINE" regsvr32 /s ${2:-} "$(dirname "$EXE")/testcam.dll" </dev/null >/dev/null 2>&1; }

# Ends the program when it is still running (the trap of every caller).
end_program() {
    if [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
        kill "$PROGRAM_PID" 2>/dev/null
        wait "$PROGRAM_PID" 2>/dev/null
    fi
    return 0
}

# Starts the program in the test's output folder; sets PROGRAM_PID and MAIN_WIN.
start_program() {
    local exe
    exe=$(realpath "$1")
    PROGRAM_EXE=$(basename "$exe")
    # An earlier program that did not end would take this one's keys and clicks.
    end_program
    for _ in $(seq 100); do
        [ -z "$(xdo search --onlyvisible --name '^TORVEX$' 2>/dev/null)" ] && break
        sleep 0.05
    done
    # PROGRAM_ENV: more VAR=value words for the program alone (a test's LD_PRELOAD, say).
    (cd "$XD_DIR" && exec env LC_ALL=ja_JP.UTF-8 ${PROGRAM_ENV:-} "$TVX_WINE" "$exe" </dev/null >>"$XD_DIR/program.log" 2>&1) &
    PROGRAM_PID=$!
    MAIN_WIN=""
    for _ in $(seq 400); do
        MAIN_WIN=$(xdo search --onlyvisible --name '^TORVEX$' 2>/dev/null | head -n 1)
        [ -n "$MAIN_WIN" ] && return 0
        sleep 0.05
    done
    return 1
}

# The status line as drawn, below the menu bar of the mapped window.
status_picture() {
    [ -n "$MAIN_WIN" ] || return 1   # import without a window would wait for a click
    shot -window "$MAIN_WIN" -crop 234x20+0+25 +repage "$1" 2>/dev/null
}

# Waits until start-up has finished: the window at rest and its status line changed from the
# "Ready" it shows while falling. Call it as soon as the window is found. Returns 1 when the
# status line did not change within 3 s.
wait_ready() {
    sleep 0.1
    status_picture "$XD_DIR/status-ready.png"
    wait_at_rest "$MAIN_WIN" >/dev/null
    for _ in $(seq 60); do
        status_picture "$XD_DIR/status-now.png"
        same_picture "$XD_DIR/status-ready.png" "$XD_DIR/status-now.png" || return 0
        sleep 0.05
    done
    return 1
}

# Waits (up to 5 s) for a visible window whose name matches the regex; prints its id.
wait_window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdo search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# x y width height of a window's drawable area on the screen.
geometry() {
    timeout 10 xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                             /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# Waits until a window has kept its place for 300 ms; prints its geometry.
wait_at_rest() {
    local last="" same=0 g i
    for i in $(seq 200); do
        g=$(geometry "$1")
        if [ "$g" = "$last" ]; then same=$((same + 1)); else same=0; last="$g"; fi
        [ $same -ge 3 ] && break
        sleep 0.05
    done
    echo "$last"
}

activate() {
    xdo windowactivate --sync "$1" >/dev/null 2>&1 || xdo windowfocus --sync "$1"
    sleep 0.1
}

# The program's popup menu, when one is shown: an unnamed override-redirect window of the program.
find_popup() {
    timeout 10 xwininfo -root -children |
        awk -v exe="\"${PROGRAM_EXE:-stereocap.exe}\"" '/\(has no name\): \(/ && index($0, exe) && $NF != "+0+0" {print $1}' |
        while read -r id; do
            timeout 10 xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { echo "$id"; break; }
        done
}

# Right-clicks a window (the main window when none is given) and saves a picture of the popup
# menu; POPUP is its window.
open_popup() {
    local picture="$1" target="${2:-$MAIN_WIN}" i
    POPUP=""
    [ -n "$target" ] || return 1
    for i in 1 2 3; do
        xdo mousemove --window "$target" 100 40 click 3
        for _ in $(seq 40); do
            POPUP=$(find_popup)
            [ -n "$POPUP" ] && break 2
            sleep 0.05
        done
    done
    [ -n "$POPUP" ] || return 1
    sleep 0.2
    shot -window "$POPUP" "$picture"
}

close_popup() {
    [ -n "$POPUP" ] || return 0
    xdo key Escape
    for _ in $(seq 40); do
        [ -z "$(find_popup)" ] && return 0
        sleep 0.05
    done
    return 1
}

# "Start Log" from a text window's popup menu: the window's TORVEXn.LOG in the start-up folder.
start_log() {
    activate "$1"
    open_popup "$XD_DIR/text-popup.png" "$1" || return 1
    for _ in 1 2 3 4; do xdo key Down; done   # Select, Window Info, Command, Start Log
    xdo key Return
    sleep 0.3
}

# For the benchmarks: starts the program, waits for it and (unless $2 is "nocameras") for both
# test cameras to stream, and logs its text window 0 (TEXT_WIN); says what failed.
start_logged() {
    start_program "$1" || { echo "the program did not start"; return 1; }
    wait_ready
    [ "${2:-}" = nocameras ] || wait_cameras_running
    TEXT_WIN=$(wait_window '^TextWindow 0$')
    start_log "$TEXT_WIN" || { echo "no log for text window 0"; return 1; }
}

# Ctrl+C in a text window: its log is written out whole (and put on the clipboard).
flush_log() {
    activate "$1"
    xdo key ctrl+c
    sleep 0.2
}

# Waits (up to 10 s) until both test cameras stream: the program's start-up has opened them, and
# its windows answer from then on.
wait_cameras_running() {
    for _ in $(seq 200); do
        grep -q '^state 2' "$CAMERA_STATE/tvx-testcam-0.state" 2>/dev/null &&
            grep -q '^state 2' "$CAMERA_STATE/tvx-testcam-1.state" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# Presses Start (the key S in the main window) until the capture program's button box is up;
# sets BOX. A key sent while the window is still taking the focus can be lost.
start_capture() {
    BOX=""
    for _ in 1 2 3; do
        activate "$MAIN_WIN"
        xdo key s
        BOX=$(wait_window '^ButtonBox$') && return 0
    done
    return 1
}

# Presses Stop (C in the main window) and has text window $TEXT_WIN write its log $LOG out, so
# that the cameras' reports at Stop are in it; prints the time of the key.
stop_and_flush() {
    local t
    activate "$MAIN_WIN"
    t=$(now_ms)
    xdo key c
    sleep 0.5
    flush_log "$TEXT_WIN"
    echo "$t"
}
# The frames camera $1 had delivered at the last Stop, from the program's report in $LOG.
camera_frames() { tr -d '\r' <"$LOG" | grep -a "^Camera $1: [0-9]* frames" | tail -n 1 | awk '{print $3}'; }

# Types $2 into item $1 of the input box (rows of 28 pixels), replacing what it held.
set_input_item() {
    local box
    box=$(wait_window '^InputBox$') || return 1
    activate "$box"
    xdo mousemove --window "$box" 200 $((18 + 28 * $1)) click 1
    xdo key End
    for _ in $(seq 12); do xdo key BackSpace; done
    xdo type --delay 30 "$2"
    xdo key Return
    sleep 0.3
}

# The last run's reports at Stop in $LOG: "D0 D1 SECONDS S0 S1 STEREO P0 P1" - the frames each
# camera delivered, over how many seconds, the frames the live windows and the Stereo view
# showed, and the frames each live window passed over (stereoshot only).
run_report() {
    local said
    said=$(tr -d '\r' <"$LOG")
    echo "$(grep -a '^Delivered while running' <<<"$said" | tail -n 1 | sed 's/[^0-9. ]//g' | awk '{print $2, $4, $NF}')" \
         "$(grep -a '^Shown while running' <<<"$said" | tail -n 1 | sed 's/[^0-9 ]//g' | awk '{print $2, $4, $5}')" \
         "$(grep -a '^Passed over while running' <<<"$said" | tail -n 1 | sed 's/[^0-9 ]//g' | awk '{print $2, $4}')"
}

# The MPO pairs written in $XD_DIR so far, and a wait of up to 20 s until there are $1.
# (find, not a glob: a caller's nullglob would turn no match into a listing of the current folder)
pairs_written() { find "$XD_DIR" -maxdepth 1 -name 'Pair_*.mpo' | wc -l; }
wait_pairs() {
    for _ in $(seq 1000); do
        [ "$(pairs_written)" -ge "$1" ] && return 0
        sleep 0.02
    done
    return 1
}

# Clicks button k of the button box $BOX: BOX_COLUMNS buttons a row (11 in stereocap's box),
# BUTTON_WIDTH x 26 pixels each (98) with 4-pixel gaps.
click_button() {
    local columns="${BOX_COLUMNS:-11}" width="${BUTTON_WIDTH:-98}"
    xdo windowraise "$BOX"   # text window 0 overlaps the box where both are placed
    xdo mousemove --window "$BOX" $(( ($1 % columns) * (width + 4) + 4 + width / 2 )) \
        $(( ($1 / columns) * 30 + 4 + 13 )) click 1
}

same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }
different_picture() { ! same_picture "$1" "$2"; }

# Waits for the program to end; prints the milliseconds it took from $1 (now_ms), or "running".
wait_for_exit() {
    local since="$1" i
    for i in $(seq 200); do
        if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
            wait "$PROGRAM_PID" 2>/dev/null
            echo $(($(now_ms) - since))
            return 0
        fi
        sleep 0.025
    done
    echo "running"
    return 1
}
