#!/usr/bin/env bash
# The image windows' menus as a user works them: a right click opens the basic menu, a middle
# click the processing menu; a filled box is drawn with two clicks, and the pixel readout and an
# RGB profile measure it.
EXE="$1"
source "$(dirname "$0")/lib.sh"

# Opens the popup of a window with mouse button $2 at client point (20, 20); POPUP is its window.
popup_of() {
    local win="$1" button="$2"
    POPUP=""
    for _ in 1 2 3; do
        xdo mousemove --window "$win" 20 20 click "$button"
        for _ in $(seq 40); do
            POPUP=$(find_popup)
            [ -n "$POPUP" ] && return 0
            sleep 0.05
        done
    done
    return 1
}

# Walks the open menu: each argument is a key (Down, Right, Return) sent in turn.
walk() {
    for key in "$@"; do
        xdo key "$key"
        sleep 0.1
    done
}

# Clicks client point (x, y) of a window.
click_at() { xdo mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }


start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
RIGHT=$(wait_window '^Right\(70%\)$')
check "the Right image window is up" [ -n "$RIGHT" ]
TEXT=$(wait_window '^TextWindow 0$')
start_log "$TEXT"

activate "$RIGHT"
check "a right click opens the basic menu" popup_of "$RIGHT" 3
shot -window "$POPUP" "$E2E_OUT/basic-menu.png"
close_popup

# Processing menu: Process..., Information..., Test Pattern..., Clipping, Color..., Draw Line...,
# Draw Box... / Normal, Fill.
activate "$RIGHT"
check "a middle click opens the processing menu" popup_of "$RIGHT" 2
shot -window "$POPUP" "$E2E_OUT/process-menu.png"
walk Down Down Down Down Down Down Down Right Down Return
sleep 0.3
click_at "$RIGHT" 70 70
click_at "$RIGHT" 210 140
sleep 0.5
check "\"Draw Box...\" / \"Fill\" filled the box in white" [ "$(colour_at "$RIGHT" 140 105)" = "#FFFFFF" ]
check "and nothing outside it" [ "$(colour_at "$RIGHT" 30 200)" = "#000000" ]

# "Information..." / "Pixel" on the box: the readout goes to text window 0 and its log.
activate "$RIGHT"
popup_of "$RIGHT" 2
walk Down Down Right Return
sleep 0.3
click_at "$RIGHT" 140 105
flush_log "$TEXT"
check "\"Pixel\" printed the white pixel's colour models" \
    grep -q '(R,G,B)=(255,255,255)' "$E2E_OUT/TORVEX0.LOG"

# "Information..." / "Line(RGB)": a row profile in a new window.
activate "$RIGHT"
popup_of "$RIGHT" 2
walk Down Down Right Down Return
sleep 0.3
click_at "$RIGHT" 140 105
PLOT=$(wait_window '^RGB\(Y=150\)\(100%\)$')
check "\"Line(RGB)\" made the profile window of row 150" [ -n "$PLOT" ]
[ -n "$PLOT" ] && shot -window "$PLOT" "$E2E_OUT/profile.png"

check_exit_key "X ends the program"
e2e_finish
