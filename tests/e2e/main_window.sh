#!/usr/bin/env bash
# The real program's main window on a 1280x1024 screen: where it comes to rest, Start and Stop
# seen in its popup menu, and the three ways to Exit, each ending the process within 2 seconds.
EXE="$1"
source "$(dirname "$0")/lib.sh"

screen_w=1280
screen_h=1024

# --- Start-up: the window falls into place at the bottom centre ----------------------------
start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
read -r x0 y0 _ _ < <(geometry "$MAIN_WIN")
check "the status line changes from Ready once the window has come to rest" wait_ready
read -r x y w h < <(wait_at_rest "$MAIN_WIN")
# The window manager draws the caption; what Wine maps is the client area with the menu bar,
# inside a 3-pixel frame: 240 wide, caption + 58 high, its bottom on the bottom of the screen.
frame=$(( (240 - w) / 2 ))
check "client width 234 inside a 3-pixel frame (got $w)" [ "$w" = 234 ]
check "client and menu bar 52 high: caption + 58 less the frame (got $h)" [ "$h" = 52 ]
check "centred horizontally (x $x, width $w)" [ $((x - frame + 120)) = $((screen_w / 2)) ]
check "bottom edge on the screen's bottom (y $y, height $h)" [ $((y + h + frame)) = $screen_h ]
check "it fell into place (first seen at y $y0, rests at y $y)" [ "$y0" -lt "$y" ]
check "it did not move sideways" [ "$x0" = "$x" ]

shot -window root "$E2E_OUT/screen.png"

# --- Start and Stop, as the popup menu shows them -----------------------------------------
activate "$MAIN_WIN"
check "popup menu opens while idle" open_popup "$E2E_OUT/popup-idle.png"
close_popup

activate "$MAIN_WIN"
xdo key s
sleep 0.3
check "popup menu opens during a run" open_popup "$E2E_OUT/popup-running.png"
close_popup
check "S starts a run: Start and the creation items are greyed" \
    different_picture "$E2E_OUT/popup-idle.png" "$E2E_OUT/popup-running.png"

# More presses of S during the run must not queue a second run after Stop.
activate "$MAIN_WIN"
xdo key s
sleep 0.05
xdo key s
sleep 0.05
xdo key s
sleep 0.2
xdo key c
sleep 0.4
check "popup menu opens after Stop" open_popup "$E2E_OUT/popup-stopped.png"
close_popup
check "C stops the run and the extra S presses started none" \
    same_picture "$E2E_OUT/popup-idle.png" "$E2E_OUT/popup-stopped.png"

# --- The three ways to Exit: each ends the process within about 2 seconds ---------------------
MAX_MS=2500
xdo key s
sleep 0.3
check_exit_key "X during a run ends the process within 2 s"

start_program "$EXE" || fail "second start"
wait_ready
check_exit_key "Escape ends the process within 2 s" xdo key Escape

start_program "$EXE" || fail "third start"
wait_ready
# "Exit(X)" is the third item of the menu bar, at the top of the mapped window.
check_exit_key "Exit(X) on the menu bar ends the process within 2 s" \
    xdo mousemove --window "$MAIN_WIN" 135 9 click 1

e2e_finish
