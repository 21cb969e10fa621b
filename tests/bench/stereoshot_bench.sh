#!/usr/bin/env bash
# stereoshot.exe with the two test cameras, measured from outside: frames each camera delivered
# against frames the live windows and the Stereo view showed from Start to Stop (the program's
# own reports at Stop), the time from a click on "Take pair" to the complete file, for JPS and
# for MPO (median of 8), a burst of 10 pairs, and an interval series of 10 at 1 s with a sync check
# during it, with the frames shown meanwhile (at 640 x 480). Prints
# figures; asserts nothing about speed.
# Usage: stereoshot_bench.sh stereoshot.exe [seconds]
set -u
EXE="$1"
SPAN="${2:-10}"
export LC_ALL=C
XD_DIR="${TVX_BUILD:-$(pwd)}/bench/stereoshot"
rm -rf "$XD_DIR"
mkdir -p "$XD_DIR"
source "$(dirname "$0")/../../scripts/lib/xdrive.sh"
trap end_program EXIT
BOX_COLUMNS=6 BUTTON_WIDTH=166
LOG="$XD_DIR/TORVEX0.LOG"

start_logged "$EXE" || exit 1
start_capture || { echo "Start did not open the button box"; exit 1; }
stop_and_read() {   # the camera counts at Stop and the time of the Stop key
    local t
    t=$(stop_and_flush)
    echo "$(camera_frames 0) $(camera_frames 1) $t"
}
sleep 2
read -r a0 b0 t0 < <(stop_and_read)
activate "$MAIN_WIN"
ts=$(now_ms)
xdo key s
sleep "$SPAN"
read -r a1 b1 t1 < <(stop_and_read)
# "Shown while running: camera 0 A frames, camera 1 B, Stereo C"
read -r s0 s1 ss < <(tr -d '\r' <"$LOG" | grep -a '^Shown while running' | tail -n 1 |
                     sed 's/[^0-9 ]//g' | awk '{print $2, $4, $5}')
# Delivered from Stop to Stop; shown from Start to Stop.
awk -v a="$((a1 - a0))" -v b="$((b1 - b0))" -v s0="$s0" -v s1="$s1" -v ss="$ss" -v t="$((t1 - t0))" \
    -v run="$((t1 - ts))" 'BEGIN {
    sec = t / 1000; r = run / 1000
    printf "stereoshot live, Stereo view on: cameras delivered %.1f and %.1f frames/s (%.1f s); shown %.1f and %.1f/s, Stereo view %.1f/s (%.1f s from Start to Stop)\n",
        a / sec, b / sec, sec, s0 / r, s1 / r, ss / r, r
}'

# Click to complete file: a file appears under its name only once it is whole, and its time of
# last change is when its last byte was written. The pointer rests on the button before the
# clock starts; xdotool's click returns only some 120 ms later, so it runs in the background.
start_capture
shopt -s nullglob
median_of_clicks() {   # median_of_clicks suffix
    local waits=() t files before newest
    xdo windowraise "$BOX"
    xdo mousemove --window "$BOX" $((4 + BUTTON_WIDTH / 2)) 17
    for _ in $(seq 8); do
        files=("$XD_DIR"/Pair_*"$1")
        before=${#files[@]}
        t=$(now_ms)
        xdo click 1 &
        for _ in $(seq 1000); do
            files=("$XD_DIR"/Pair_*"$1")
            [ "${#files[@]}" -gt "$before" ] && break
            sleep 0.005
        done
        wait
        newest=$(ls -t "$XD_DIR"/Pair_*"$1" 2>/dev/null | head -n 1)
        [ "${#files[@]}" -gt "$before" ] &&
            waits+=($(stat -c '%.3Y' "$newest" | awk -v t="$t" '{ printf "%d", $1 * 1000 - t }'))
        sleep 0.15
    done
    printf '%s\n' "${waits[@]}" | sort -n | awk '{ w[NR] = $1 } END {
        if (NR == 0) { print "none completed"; exit }
        m = NR % 2 ? w[(NR + 1) / 2] : (w[NR / 2] + w[NR / 2 + 1]) / 2
        printf "median %d ms, fastest %d, slowest %d over %d clicks\n", m, w[1], w[NR], NR }'
}
click_button 1   # "Save: all four" -> JPS
sleep 0.3
echo "  Take pair to complete .jps: $(median_of_clicks .jps)"
click_button 1   # -> MPO
sleep 0.3
echo "  Take pair to complete .mpo: $(median_of_clicks .mpo)"
# A burst of 10 MPO pairs, as fast as the writer takes them: its time, and the live frames of the
# whole run (the clicks and the burst) delivered against shown.
before=$(pairs_written)
t=$(now_ms)
click_button 15
wait_pairs $((before + 10))
burst=$(($(now_ms) - t))
stop_and_flush >/dev/null
said=$(tr -d '\r' <"$LOG")
read -r d0 d1 _ s0 s1 _ < <(run_report)
echo "  burst of 10 MPO pairs: $(($(pairs_written) - before)) written in $burst ms; over the clicks and the burst the cameras delivered $d0 and $d1 frames, the live windows showed $s0 and $s1"
# An interval series of 10 MPO pairs at 1 s (the input box's numbers), and a sync check by the
# Sync window (4 s of frames) during it: the pairs written and the live frames delivered against
# shown meanwhile.
start_capture
click_button 14
click_button 18
t=$(now_ms)
wait_pairs $((before + 20))
series=$(($(now_ms) - t))
sleep 0.2
stop_and_flush >/dev/null
said_series=$(tr -d '\r' <"$LOG")
read -r d0 d1 _ s0 s1 _ < <(run_report)
echo "  interval series of 10 MPO pairs at 1 s with a sync check ($(grep -ac '^Sync check (' <<<"$said_series") report): $(($(pairs_written) - before - 10)) written in $series ms; the cameras delivered $d0 and $d1 frames meanwhile, the live windows showed $s0 and $s1"
grep -a '^Saved' <<<"$said" | sed -n 's/.*(skew [0-9.]* ms, \([0-9]*\) ms from taken to written)/\1/p' |
    sort -n | awk '{ w[NR] = $1 } END { if (NR) printf "  in the program, pair taken to files written: median %d ms of %d\n", w[int((NR + 1) / 2)], NR }'
activate "$MAIN_WIN"
xdo key x
wait_for_exit "$(now_ms)" >/dev/null
