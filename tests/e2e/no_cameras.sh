#!/usr/bin/env bash
# The capture program with the test cameras unregistered: it starts, Start opens the panel, and
# no button acts (a click on Capture writes nothing). The cameras are registered again after.
EXE="$1"
source "$(dirname "$0")/lib.sh"
DLL="$(dirname "$EXE")/testcam.dll"
regsvr() { env LC_ALL=ja_JP.UTF-8 wine regsvr32 /s "$@" </dev/null >/dev/null 2>&1; }
trap 'end_program; regsvr "$DLL"' EXIT
regsvr /u "$DLL"

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
start_capture
check "Start still opens the button box" [ -n "$BOX" ]
click_button 11   # Capture
sleep 1.5
shot -window root "$E2E_OUT/screen.png"
check "without cameras Capture writes nothing" bash -c "! ls '$E2E_OUT'/CaptureAt*.jps >/dev/null 2>&1"
activate "$MAIN_WIN"
t=$(now_ms)
xdo key x
took=$(wait_for_exit "$t")
check "Exit still ends the program (took $took ms)" [ "$took" != running ]
e2e_finish
