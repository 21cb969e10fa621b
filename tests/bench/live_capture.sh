#!/usr/bin/env bash
# Live capture with the two test cameras for a span (30 s unless given), measured from outside:
# frames each camera delivered (its state file, rewritten whenever a setting changes), frames the program
# showed (the "*" marks in text window 0's log), frames dropped, the worker thread's CPU time per
# frame (the thread named "TORVEX worker", from /proc), and the time from a click on "Capture"
# to the .jps being complete (the time includes the synchronous xdotool click, about 100 ms).
# Prints figures; asserts nothing about speed.
# With a camera mode (the words testcam/register takes, or "v4l2" for the virtual V4L2 webcams
# through Wine's own capture filter) only the frames are counted, by the program itself: what
# each camera delivered (its report at Stop) against what it showed, from Start to Stop.
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
DLL="$(dirname "$EXE")/testcam.dll"
regsvr() { env LC_ALL=ja_JP.UTF-8 TVX_TESTCAM_MODE="$1" "$TVX_WINE" regsvr32 /s ${2:-} "$DLL" </dev/null >/dev/null 2>&1; }
if [ "$MODE" = v4l2 ]; then
    PROGRAM_ENV="LD_PRELOAD=$TVX_BUILD/native/libtvx_v4l2_webcam.so"
    trap 'end_program; regsvr ""' EXIT
    regsvr "" /u
elif [ -n "$MODE" ]; then
    trap 'end_program; regsvr ""' EXIT
    regsvr "$MODE" || { echo "the test cameras could not be registered in mode $MODE"; exit 1; }
fi
LOG="$XD_DIR/TORVEX0.LOG"

frames_of() { awk '$1 == "frames" {print $2}' "$CAMERA_STATE/tvx-testcam-$1.state"; }
stars() { tr -cd '*' <"$LOG" | wc -c; }
# Nanoseconds on a CPU of one thread, or of the whole process.
cpu_ns() {
    local sum=0 task
    for task in "$@"; do
        sum=$((sum + $(awk '{print $1}' "$task/schedstat" 2>/dev/null || echo 0)))
    done
    echo "$sum"
}
# The worker: the first thread named "TORVEX worker" (threads it starts inherit the name).
worker_task() {
    local task
    for task in $(ls -d /proc/"$1"/task/* 2>/dev/null | sort -t/ -k5 -n); do
        [ "$(cat "$task/comm" 2>/dev/null)" = "TORVEX worker" ] && { echo "$task"; return 0; }
    done
    return 1
}
# One reading: the cameras' counts (a focus preset makes both write their state), the stars
# shown so far, CPU times and the clock.
read_counts() {
    click_button 0
    sleep 0.3
    flush_log "$TEXT_WIN"
    echo "$(frames_of 0) $(frames_of 1) $(stars) $(cpu_ns "$WORKER") $(cpu_ns /proc/"$PID"/task/*) $(now_ms)"
}

start_program "$EXE" || { echo "the program did not start"; exit 1; }
wait_ready
[ "$MODE" = v4l2 ] || wait_cameras_running
TEXT_WIN=$(wait_window '^TextWindow 0$')
start_log "$TEXT_WIN" || { echo "no log for text window 0"; exit 1; }
start_capture || { echo "Start did not open the button box"; exit 1; }
# The program's process is the one named stereocap.exe with the library's worker thread (other
# tests may have left ended ones of the same name behind, not yet reaped).
PID="" WORKER=""
for _ in $(seq 150); do
    for candidate in $(pgrep -x 'stereocap.exe'); do
        WORKER=$(worker_task "$candidate") && { PID=$candidate; break 2; }
    done
    sleep 0.1
done
# Without the worker (a name Wine had not yet given) only its CPU figure is missing.
[ -n "$WORKER" ] || echo "no worker thread found: the worker's CPU time reads 0"
if [ -n "$MODE" ]; then
    # The report at Stop counts from the open on: a first Stop, right before the span, gives the
    # counts to start from; Start again at once (frames of that moment are not shown: +-3).
    report() { tr -d '\r' <"$LOG" | grep -a "^Camera $1: [0-9]* frames" | tail -n 1 | awk '{print $3}'; }
    # Times: the Stop key's (the report follows at once), so that both spans are Start to Stop.
    stop_and_read() {
        activate "$MAIN_WIN"
        local t
        t=$(now_ms)
        xdo key c
        sleep 0.5
        flush_log "$TEXT_WIN"
        echo "$(report 0) $(report 1) $(stars) $(cpu_ns "$WORKER") $t"
    }
    sleep 2
    read -r d0 e0 s0 w0 t0 < <(stop_and_read)
    activate "$MAIN_WIN"
    ts=$(now_ms)
    xdo key s
    sleep "$SPAN"
    read -r d1 e1 s1 w1 t1 < <(stop_and_read)
    awk -v mode="$MODE" -v d0="$d0" -v d1="$d1" -v e0="$e0" -v e1="$e1" -v s0="$s0" -v s1="$s1" \
        -v t0="$t0" -v ts="$ts" -v t1="$t1" -v w0="$w0" -v w1="$w1" 'BEGIN {
        sec = (t1 - t0) / 1000; run = (t1 - ts) / 1000; d = d1 - d0; e = e1 - e0; s = s1 - s0
        printf "live capture (%s cameras): camera 0 delivered %.1f frames/s, camera 1 %.1f (%d and %d in %.1f s)\n",
            mode, d / sec, e / sec, d, e, sec
        printf "  frames shown %.1f/s while running (%d in %.1f s from Start to Stop)", s / run, s, run
        if (s > 0) printf "; worker CPU %.2f ms per frame shown", (w1 - w0) / 1e6 / s
        printf "\n"
    }'
    activate "$MAIN_WIN"
    xdo key x
    wait_for_exit "$(now_ms)" >/dev/null
    exit 0
fi
sleep 2
read -r d0 e0 s0 w0 p0 t0 < <(read_counts)
sleep "$SPAN"
read -r d1 e1 s1 w1 p1 t1 < <(read_counts)

# Click to complete file: the JPEG's last two bytes are its end marker FF D9.
complete() { [ "$(tail -c 2 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = ffd9 ]; }
waits=()
for _ in $(seq 5); do
    rm -f "$XD_DIR"/CaptureAt*.jps
    sleep 0.5
    t=$(now_ms)
    click_button 11
    done_at=""
    for _ in $(seq 1000); do
        f=$(ls "$XD_DIR"/CaptureAt*.jps 2>/dev/null | head -n 1)
        if [ -n "$f" ] && complete "$f"; then done_at=$(now_ms); break; fi
        sleep 0.005
    done
    [ -n "$done_at" ] && waits+=($((done_at - t)))
done
activate "$MAIN_WIN"
xdo key x
wait_for_exit "$(now_ms)" >/dev/null

awk -v d0="$d0" -v d1="$d1" -v e0="$e0" -v e1="$e1" -v s0="$s0" -v s1="$s1" -v w0="$w0" -v w1="$w1" \
    -v p0="$p0" -v p1="$p1" -v t0="$t0" -v t1="$t1" -v waits="${waits[*]:-}" 'BEGIN {
    sec = (t1 - t0) / 1000; shown = s1 - s0; del0 = d1 - d0; del1 = e1 - e0
    printf "live capture over %.1f s: camera 0 delivered %d frames (%.1f/s), camera 1 %d (%.1f/s)\n",
        sec, del0, del0 / sec, del1, del1 / sec
    # The two counts are read about 0.3 s apart at either end: a frame or two either way.
    dropped = del0 - shown; if (dropped < 0) dropped = 0
    share = 0; if (del0 > 0) share = 100 * dropped / del0
    printf "  frames shown %d (%.1f/s), dropped %d of camera 0 (%.1f %%, counts +-2)\n", shown, shown / sec, dropped, share
    if (shown > 0)
        printf "  worker CPU %.2f ms per frame shown (%.1f %% of one core); whole process %.2f ms per frame\n",
            (w1 - w0) / 1e6 / shown, (w1 - w0) / 1e7 / sec, (p1 - p0) / 1e6 / shown
    n = split(waits, w, " ")
    if (n > 0) {
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (w[j] + 0 < w[i] + 0) { x = w[i]; w[i] = w[j]; w[j] = x }
        median = n % 2 ? w[(n + 1) / 2] : (w[n / 2] + w[n / 2 + 1]) / 2
        printf "  Capture click to complete .jps over %d clicks: median %d ms, fastest %d, slowest %d\n", n, median, w[1], w[n]
    } else print "  no capture was completed"
}'
