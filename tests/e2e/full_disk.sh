#!/usr/bin/env bash
# Capture into a folder whose disk is full: the save fails, no partial .jps is left behind, and
# the program goes on (Capture again, then Exit). The folder is a small tmpfs, filled up once the
# program runs; where mounting is not allowed the test is skipped (exit 77).
EXE="$1"
source "$(dirname "$0")/lib.sh"
mount -t tmpfs -o size=2m tvx-full "$E2E_OUT" 2>/dev/null || { echo "skipped: cannot mount a tmpfs"; exit 77; }
trap 'end_program; umount "$E2E_OUT"' EXIT

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
wait_cameras_running
start_capture
check "Start opens the button box" [ -n "$BOX" ]
dd if=/dev/zero of="$E2E_OUT/filler" bs=4k 2>/dev/null
check "the disk is full" [ "$(df --output=avail "$E2E_OUT" | tail -n 1 | tr -d ' ')" -lt 8 ]
for _ in 1 2; do
    click_button 11   # Capture
    sleep 1.5
done
check "no partial capture is left behind" bash -c "! ls '$E2E_OUT'/CaptureAt*.jps >/dev/null 2>&1"
check "the program still runs" kill -0 "$PROGRAM_PID"
check_exit_key "Exit still ends it"
e2e_finish
