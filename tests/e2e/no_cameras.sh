#!/usr/bin/env bash
# The capture program with the test cameras unregistered: it starts and shows the open error,
# Start opens the panel, and no button acts (a click on Capture writes nothing). The cameras are
# registered again after.
EXE="$1"
source "$(dirname "$0")/lib.sh"
trap 'end_program; regsvr ""' EXIT
regsvr "" /u

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
# Text window 0's second line is the open error. It is compared with the same words typed into
# the window's console ("Cmd>Error 5", then the console's answer): cells of 8 x 16 pixels, the
# echo 4 cells in on the third line.
TEXT_WIN=$(wait_window '^TextWindow 0$')
sleep 1
activate "$TEXT_WIN"
xdo key space
sleep 0.2
xdo type --delay 40 'Error 5'
xdo key Return
sleep 0.5
shot -window "$TEXT_WIN" "$E2E_OUT/text.png"
cell() { timeout 10 convert "$E2E_OUT/text.png" -crop "$1" +repage "$E2E_OUT/$2.png"; }
cell 56x16+0+16 error-line
cell 56x16+32+32 typed
cell 56x16+0+96 blank
check "text window 0 shows the open error \"Error 5\"" same_picture "$E2E_OUT/error-line.png" "$E2E_OUT/typed.png"
check "(and the line is not empty)" different_picture "$E2E_OUT/error-line.png" "$E2E_OUT/blank.png"
start_capture
check "Start still opens the button box" [ -n "$BOX" ]
click_button 11   # Capture
sleep 1.5
shot -window root "$E2E_OUT/screen.png"
check "without cameras Capture writes nothing" bash -c "! ls '$E2E_OUT'/CaptureAt*.jps >/dev/null 2>&1"
check_exit_key "Exit still ends the program"
e2e_finish
