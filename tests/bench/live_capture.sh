#!/usr/bin/env bash
# stereocap's live capture with the two test cameras for a span (30 s unless given), measured
# from outside: what each camera delivered (its report at Stop) against the frames shown (the "*"
# marks in text window 0's log) from Start to Stop, the worker thread's CPU time per frame (the
# thread named "TORVEX worker", from /proc), and, with the plain test cameras, the time from a
# click on "Capture" to the .jps being complete (including the synchronous xdotool click, about
# 100 ms). With a camera mode (the words testcam/register takes, or "v4l2" for the virtual V4L2
# webcams through Wine's own capture filter) the cameras are set up so first. Prints figures;
# asserts nothing about speed.
# Usage: live_capture.sh stereocap.exe [seconds] [mode]
set -u
EXE="$1"
SPAN="${2:-30}"
MODE="${3:-}"
export LC_ALL=C
XD_DIR="${TVX_BUILD:-$(pwd)}/bench/live_capture${MODE:+-${MODE//,/-}}"
rm -rf "$XD_DIR"
mkdir -p "$XD_DIR"
source "$(dirname "$0")/../../scripts/lib/xdrive.sh"
trap end_program EXIT
if [ "$MODE" = v4l2 ]; then
    PROGRAM_ENV="LD_PRELOAD=$TVX_BUILD/native/libtvx_v4l2_webcam.so"
    trap 'end_program; regsvr ""' EXIT
    regsvr "" /u
elif [ -n "$MODE" ]; then
    trap 'end_program; regsvr ""' EXIT
    regsvr "$MODE" || { echo "the test cameras could not be registered in mode $MODE"; exit 1; }
fi
LOG="$XD_DIR/TORVEX0.LOG"

stars() { tr -cd '*' <"$LOG" | wc -c; }
# Nanoseconds on a CPU of one thread.
cpu_ns() { awk '{print $1}' "$1/schedstat" 2>/dev/null || echo 0; }
# The worker: the first thread named "TORVEX worker" (threads it starts inherit the name).
worker_task() {
    local task
    for task in $(ls -d /proc/"$1"/task/* 2>/dev/null | sort -t/ -k5 -n); do
        [ "$(cat "$task/comm" 2>/dev/null)" = "TORVEX worker" ] && { echo "$task"; return 0; }
    done
    return 1
}
# The reports at Stop count from the open on; the time is the Stop key's (the report follows at
# once), so that the span is Start to Stop.
stop_and_read() {
    local t
    t=$(stop_and_flush)
    echo "$(camera_frames 0) $(camera_frames 1) $(stars) $(cpu_ns "$WORKER") $t"
}

start_logged "$EXE" "$([ "$MODE" = v4l2 ] && echo nocameras)" || exit 1
start_capture || { echo "Start did not open the button box"; exit 1; }
# The program's process is the one named stereocap.exe with the library's worker thread (other
# tests may have left ended ones of the same name behind, not yet reaped).
WORKER=""
for _ in $(seq 150); do
    for candidate in $(pgrep -x 'stereocap.exe'); do
        WORKER=$(worker_task "$candidate") && break 2
    done
    sleep 0.1
done
# Without the worker (a name Wine had not yet given) only its CPU figure is missing.
[ -n "$WORKER" ] || echo "no worker thread found: the worker's CPU time reads 0"
# A first Stop, right before the span, gives the counts to start from; Start again at once
# (frames of that moment are not shown: +-3).
sleep 2
read -r d0 e0 s0 w0 t0 < <(stop_and_read)
activate "$MAIN_WIN"
ts=$(now_ms)
xdo key s
sleep "$SPAN"
read -r d1 e1 s1 w1 t1 < <(stop_and_read)
awk -v mode="${MODE:-test}" -v d0="$d0" -v d1="$d1" -v e0="$e0" -v e1="$e1" -v s0="$s0" -v s1="$s1" \
    -v t0="$t0" -v ts="$ts" -v t1="$t1" -v w0="$w0" -v w1="$w1" 'BEGIN {
    sec = (t1 - t0) / 1000; run = (t1 - ts) / 1000; d = d1 - d0; e = e1 - e0; s = s1 - s0
    printf "live capture (%s cameras): camera 0 delivered %.1f frames/s, camera 1 %.1f (%d and %d in %.1f s)\n",
        mode, d / sec, e / sec, d, e, sec
    printf "  frames shown %.1f/s while running (%d in %.1f s from Start to Stop)", s / run, s, run
    if (s > 0) printf "; worker CPU %.2f ms per frame shown (%.1f %% of one core)", (w1 - w0) / 1e6 / s, (w1 - w0) / 1e7 / run
    printf "\n"
}'

if [ -z "$MODE" ]; then
    # Click to complete file: the JPEG's last two bytes are its end marker FF D9.
    start_capture
    complete() { [ "$(tail -c 2 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = ffd9 ]; }
    waits=()
    for _ in $(seq 5); do
        rm -f "$XD_DIR"/CaptureAt*.jps
        sleep 0.5
        t=$(now_ms)
        click_button 11
        for _ in $(seq 1000); do
            f=$(ls "$XD_DIR"/CaptureAt*.jps 2>/dev/null | head -n 1)
            if [ -n "$f" ] && complete "$f"; then waits+=($(($(now_ms) - t))); break; fi
            sleep 0.005
        done
    done
    printf '%s\n' "${waits[@]}" | sort -n | awk '{ w[NR] = $1 } END {
        if (NR == 0) { print "  no capture was completed"; exit }
        printf "  Capture click to complete .jps over %d clicks: median %d ms, fastest %d, slowest %d\n",
            NR, w[int((NR + 1) / 2)], w[1], w[NR] }'
fi
activate "$MAIN_WIN"
xdo key x
wait_for_exit "$(now_ms)" >/dev/null
