#!/usr/bin/env bash
# stereoshot.exe measured from outside, with test cameras that offer what today's webcams do (raw
# YUY2 at 30 fps only at 640 x 480; 1280 x 720 and 1920 x 1080 in MJPG at 30) and that replay
# their first 30 frames once made, so that after the first second they cost the computer next to
# nothing, as webcams whose own hardware makes their frames (testcam_bench times the making). At
# each size, from the program's own reports at Stop: frames each camera delivered and the live
# windows and the Stereo view showed per second. At 640 x 480 and 1280 x 720: a burst of 10 pairs
# and an interval series of 10 at 1 s (at 640 x 480 with a sync check during it), each with the
# frames delivered against shown meanwhile, and the frames the live windows passed over (gaps in
# the times of the frames shown: exact, where delivered and shown may differ by the frame on show
# at Start or arriving at Stop). At 640 x 480 also the time from a click on "Take pair" to the complete file, for
# JPS and for MPO (median of 8). Prints figures; asserts nothing about speed.
# Usage: stereoshot_bench.sh stereoshot.exe [seconds]
set -u
EXE="$1"
SPAN="${2:-3}"
export LC_ALL=C
XD_DIR="${TVX_BUILD:-$(pwd)}/bench/stereoshot"
rm -rf "$XD_DIR"
mkdir -p "$XD_DIR"
source "$(dirname "$0")/../../scripts/lib/xdrive.sh"
SETTINGS="${WINEPREFIX:-/nonexistent}/drive_c/users/*/AppData/Roaming/stereoshot/settings.ini"
# The next run of the tests finds the cameras and the settings as they were.
trap 'end_program; regsvr ""; rm -f $SETTINGS' EXIT
rm -f $SETTINGS
regsvr "hd,replay=30" || { echo "the test cameras could not be registered"; exit 1; }
BOX_COLUMNS=6 BUTTON_WIDTH=166
LOG="$XD_DIR/TORVEX0.LOG"

# Click to complete file: a file appears under its name only once it is whole, and its time of
# last change is when its last byte was written. The pointer rests on the button before the
# clock starts; xdotool's click returns only some 120 ms later, so it runs in the background.
median_of_clicks() {   # median_of_clicks suffix
    local waits=() t before newest count
    xdo windowraise "$BOX"
    xdo mousemove --window "$BOX" $((4 + BUTTON_WIDTH / 2)) 17
    for _ in $(seq 8); do
        before=$(find "$XD_DIR" -maxdepth 1 -name "Pair_*$1" | wc -l)
        t=$(now_ms)
        xdo click 1 &
        for _ in $(seq 1000); do
            count=$(find "$XD_DIR" -maxdepth 1 -name "Pair_*$1" | wc -l)
            [ "$count" -gt "$before" ] && break
            sleep 0.005
        done
        wait
        newest=$(ls -t "$XD_DIR"/Pair_*"$1" 2>/dev/null | head -n 1)
        [ "$count" -gt "$before" ] &&
            waits+=($(stat -c '%.3Y' "$newest" | awk -v t="$t" '{ printf "%d", $1 * 1000 - t }'))
        sleep 0.15
    done
    printf '%s\n' "${waits[@]}" | sort -n | awk '{ w[NR] = $1 } END {
        if (NR == 0) { print "none completed"; exit }
        m = NR % 2 ? w[(NR + 1) / 2] : (w[NR / 2] + w[NR / 2 + 1]) / 2
        printf "median %d ms, fastest %d, slowest %d over %d clicks\n", m, w[1], w[NR], NR }'
}

start_logged "$EXE" || exit 1
for size in 640x480 1280x720 1920x1080; do
    zoom=$((70 * 640 / ${size%x*}))
    start_capture || { echo "Start did not open the button box"; exit 1; }
    if [ "$size" != 640x480 ]; then
        click_button 17   # the next size both cameras offer
        wait_window "^Left\\(${zoom}%\\)\$" >/dev/null || { echo "$size: the cameras did not reopen"; break; }
        sleep 0.5
        stop_and_flush >/dev/null
        start_capture
    fi
    sleep "$SPAN"
    stop_and_flush >/dev/null
    format=$(tr -d '\r' <"$LOG" | grep -a "^Camera 0: .* $size " | tail -n 1 | sed -E 's/.*\] ([A-Z0-9]+) .*/\1/')
    read -r d0 d1 sec s0 s1 ss p0 p1 < <(run_report)
    awk -v z="$size" -v f="$format" -v d0="$d0" -v d1="$d1" -v t="$sec" -v s0="$s0" -v s1="$s1" -v ss="$ss" -v p="$p0 and $p1" 'BEGIN {
        printf "stereoshot at %s (%s): cameras delivered %.1f and %.1f frames/s, the live windows showed %.1f and %.1f/s (passed over %s frames), Stereo %.1f/s (%.1f s)\n",
            z, f, d0 / t, d1 / t, s0 / t, s1 / t, p, ss / t, t }'
    [ "$size" = 1920x1080 ] && break
    if [ "$size" = 640x480 ]; then
        start_capture
        click_button 1   # "Save: all four" -> JPS
        sleep 0.3
        echo "  Take pair to complete .jps: $(median_of_clicks .jps)"
        click_button 1   # -> MPO
        sleep 0.3
        echo "  Take pair to complete .mpo: $(median_of_clicks .mpo)"
        stop_and_flush >/dev/null
    fi
    # A burst of 10, then an interval series of 10 at 1 s, each a run of its own.
    for series in 15 14; do
        start_capture
        before=$(pairs_written)
        [ "$series" = 14 ] && set_input_item 1 1
        t=$(now_ms)
        click_button "$series"
        what="burst of 10"
        if [ "$series" = 14 ]; then
            what="interval series of 10 at 1 s"
            [ "$size" = 640x480 ] && { click_button 18; what="$what with a sync check by the Sync window"; }
        fi
        wait_pairs $((before + 10))
        took=$(($(now_ms) - t))
        sleep 0.3
        stop_and_flush >/dev/null
        read -r d0 d1 sec s0 s1 ss p0 p1 < <(run_report)
        echo "  $what: $(($(pairs_written) - before)) MPO pairs written in $took ms; meanwhile the cameras delivered $d0 and $d1 frames, the live windows showed $s0 and $s1 and passed over $p0 and $p1"
    done
done
tr -d '\r' <"$LOG" | grep -a '^Saved' | sed -n 's/.*(skew [0-9.]* ms, \([0-9]*\) ms from taken to written)/\1/p' |
    sort -n | awk '{ w[NR] = $1 } END { if (NR) printf "  in the program, pair taken to files written: median %d ms of %d\n", w[int((NR + 1) / 2)], NR }'
activate "$MAIN_WIN"
xdo key x
wait_for_exit "$(now_ms)" >/dev/null
