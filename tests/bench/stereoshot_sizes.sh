#!/usr/bin/env bash
# stereoshot.exe with test cameras that offer what today's webcams do (1280 x 720 and 1920 x 1080
# in MJPG at 30 fps; raw YUY2 holds 30 fps only at 640 x 480): at 1280 x 720 and 1920 x 1080 the
# frames each camera delivered and the live windows showed per second, and at 1280 x 720 a burst
# of 10 pairs and an interval series of 10 at 1 s - the pairs written, and the frames delivered
# against shown meanwhile (stereoshot_bench measures 640 x 480). Prints figures; asserts nothing
# about speed.
# Usage: stereoshot_sizes.sh stereoshot.exe [seconds]
set -u
EXE="$1"
SPAN="${2:-3}"
export LC_ALL=C
XD_DIR="${TVX_BUILD:-$(pwd)}/bench/stereoshot_sizes"
rm -rf "$XD_DIR"
mkdir -p "$XD_DIR"
source "$(dirname "$0")/../../scripts/lib/xdrive.sh"
DLL="$(dirname "$EXE")/testcam.dll"
SETTINGS="${WINEPREFIX:-/nonexistent}/drive_c/users/*/AppData/Roaming/stereoshot/settings.ini"
regsvr() { env LC_ALL=ja_JP.UTF-8 TVX_TESTCAM_MODE="$1" "$TVX_WINE" regsvr32 /s "$DLL" </dev/null >/dev/null 2>&1; }
# The next run of the tests finds the cameras and the settings as they were.
trap 'end_program; regsvr ""; rm -f $SETTINGS' EXIT
rm -f $SETTINGS
regsvr "hd" || { echo "the test cameras could not be registered"; exit 1; }
BOX_COLUMNS=6 BUTTON_WIDTH=166
LOG="$XD_DIR/TORVEX0.LOG"

start_logged "$EXE" || exit 1
shopt -s nullglob
# Frames are paced by pairs: a frame delivered but never shown is a frame the live windows lost.
for size in 1280x720 1920x1080; do
    zoom=$((70 * 640 / ${size%x*}))
    start_capture || { echo "Start did not open the button box"; exit 1; }
    click_button 17   # the next size both cameras offer
    wait_window "^Left\\(${zoom}%\\)\$" >/dev/null || { echo "$size: the cameras did not reopen"; break; }
    sleep 0.5
    stop_and_flush >/dev/null
    format=$(tr -d '\r' <"$LOG" | grep -a "^Camera 0: .* $size " | tail -n 1 | sed -E 's/.*\] ([A-Z0-9]+) .*/\1/')
    start_capture
    sleep "$SPAN"
    stop_and_flush >/dev/null
    read -r d0 d1 sec s0 s1 ss < <(run_report)
    awk -v z="$size" -v f="$format" -v d0="$d0" -v d1="$d1" -v t="$sec" -v s0="$s0" -v s1="$s1" -v ss="$ss" 'BEGIN {
        printf "stereoshot at %s (%s): cameras delivered %.1f and %.1f frames/s, the live windows showed %.1f and %.1f/s, Stereo %.1f/s (%.1f s)\n",
            z, f, d0 / t, d1 / t, s0 / t, s1 / t, ss / t, t }'
    [ "$size" = 1920x1080 ] && break
    # A burst of 10, then an interval series of 10 at 1 s, each a run of its own.
    for series in 15 14; do
        start_capture
        before=$(pairs_written)
        [ "$series" = 14 ] && set_input_item 1 1
        t=$(now_ms)
        click_button "$series"
        wait_pairs $((before + 10))
        took=$(($(now_ms) - t))
        sleep 0.3
        stop_and_flush >/dev/null
        read -r d0 d1 sec s0 s1 ss < <(run_report)
        what="burst of 10"
        [ "$series" = 14 ] && what="interval series of 10 at 1 s"
        echo "  $what: $(($(pairs_written) - before)) pairs written in $took ms; meanwhile the cameras delivered $d0 and $d1 frames, the live windows showed $s0 and $s1"
    done
done
activate "$MAIN_WIN"
xdo key x
wait_for_exit "$(now_ms)" >/dev/null
