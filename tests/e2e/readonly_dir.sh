#!/usr/bin/env bash
# Capture in a folder the program may not write: no file appears, and text window 0 says after
# the printed name that the pair was not saved (read from the window's log, started while the
# folder was still writable).
EXE="$1"
source "$(dirname "$0")/lib.sh"
LOG="$E2E_OUT/TORVEX0.LOG"
trap 'chmod u+w "$E2E_OUT"; end_program' EXIT

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
wait_cameras_running
TEXT_WIN=$(wait_window '^TextWindow 0$')
start_log "$TEXT_WIN"
check "text window 0 logs" [ -f "$LOG" ]
chmod a-w "$E2E_OUT"
start_capture
check "Start opens the button box" [ -n "$BOX" ]
sleep 1
click_button 11
sleep 1.5
check "Capture in a read-only folder writes no file" \
    bash -c "! ls '$E2E_OUT'/CaptureAt*.jps >/dev/null 2>&1"
check_exit_key "Exit ends the program"
said=$(iconv -f CP932 -t UTF-8 "$LOG" | tr -d '*\r')
echo "log: $said"
check "the name is printed, then that it could not be saved" \
    bash -c "grep -qE '^CaptureAt[0-9A-F]{8} 保存できません\([0-9]+\)$' <<<'$said'"
e2e_finish
