#!/usr/bin/env bash
# Keys pressed in quick succession on the main window, as a hurried user presses them: Start and
# Exit together, and Exit a moment after Start while the button box is opening. Each time the
# program must end by itself, before Exit's two-second limit would stop the worker by force.
EXE="$1"
source "$(dirname "$0")/lib.sh"

# ends_after_keys LABEL XDOTOOL-KEY-ARGS...: starts the program, presses the keys on the main
# window, and checks that it ended within 1.5 s of the last key.
ends_after_keys() {
    local label="$1" t took
    shift
    start_program "$EXE" || { fail "$label: main window TORVEX appeared"; return; }
    wait_ready
    wait_cameras_running
    activate "$MAIN_WIN"
    "$@"
    t=$(now_ms)
    took=$(wait_for_exit "$t")
    if [ "$took" = running ]; then
        fail "$label: the program still runs 5 s after its keys (the Exit key was lost)"
        end_program
        return
    fi
    check "$label: the program ended by itself (after $took ms)" [ "$took" -lt 1500 ]
}

start_then_exit_12ms() { xdo key s; sleep 0.012; xdo key x; }
for round in 1 2 3; do
    ends_after_keys "S and X at once, round $round" xdo key --delay 0 s x
    ends_after_keys "X 12 ms after S, round $round" start_then_exit_12ms
done
e2e_finish
