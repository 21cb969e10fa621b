#!/usr/bin/env bash
# stereoshot with cameras that are not in step, or not there. With camera 1 a known phase behind
# camera 0 (the test cameras' "phase=N"), the pair taken is the nearest one (N ms, or a frame
# period less N when camera 1's previous frame lies nearer), its skew is reported within 2 ms and
# written into the files, and the live figure in the Stereo window's title says the same. With
# "lost" camera 1 is 10 ms behind and falls silent after five seconds: the first pair is taken,
# the next is refused with the camera named. With "one", a single virtual V4L2 webcam (which has
# no focus control): the program says that pairs need two cameras, the focus buttons say what
# the camera lacks, and it goes on.
# Usage: stereoshot_cameras.sh program phase-ms|lost|one
EXE="$1" CASE="$2" E2E_NAME="stereoshot_cameras_$2"
PHASE="$CASE"
[ "$CASE" = lost ] && PHASE=10
source "$(dirname "$0")/lib.sh"
DLL="$(dirname "$EXE")/testcam.dll"
regsvr() { env LC_ALL=ja_JP.UTF-8 TVX_TESTCAM_MODE="$1" "$TVX_WINE" regsvr32 /s ${2:-} "$DLL" </dev/null >/dev/null 2>&1; }
trap 'end_program; regsvr ""' EXIT
BOX_COLUMNS=6 BUTTON_WIDTH=166
if [ "$CASE" = one ]; then
    check "the test cameras are unregistered" regsvr "" /u
    PROGRAM_ENV="LD_PRELOAD=$TVX_BUILD/native/libtvx_v4l2_webcam.so TVX_V4L2_CAMERAS=1"
elif [ "$CASE" = lost ]; then
    check "the test cameras are registered with camera 1 10 ms behind, stopping after 5 s" \
        regsvr "phase=10,stopafter=150"
else
    check "the test cameras are registered with camera 1 $PHASE ms behind" regsvr "phase=$PHASE"
fi
start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
start_live
sleep 1.1   # a whole second of live pairs for the title's figure
title=$(xdotool getwindowname "$(wait_window '^Stereo')")
click_button 0
[ "$CASE" = one ] && { click_button 8; sleep 0.3; }   # Focus 50%
sleep 0.8
if [ "$CASE" = lost ]; then
    for _ in $(seq 100); do grep -q '^state 2' "$CAMERA_STATE/tvx-testcam-1.state" || break; sleep 0.1; done
    sleep 1.2
    click_button 0
    sleep 0.5
fi
activate "$MAIN_WIN"
xdo key c
sleep 0.5
flush_log "$(wait_window '^TextWindow 0$')"
said=$(tr -d '\r' <"$LOG")

if [ "$CASE" = one ]; then
    check "one camera: the program says pairs need two" grep -q '^Only one camera is open' <<<"$said"
    check "Focus 50% says the camera has no focus control" grep -q '^Camera 0 has no focus control' <<<"$said"
    check "Take pair says why no pair was taken" grep -q '^Pair not taken: it needs two cameras, 1 is open' <<<"$said"
    check "no file was written" bash -c "! ls '$E2E_OUT'/Pair_* >/dev/null 2>&1"
    check "the camera's window is live all the same" different_picture "$E2E_OUT/left-1.png" "$E2E_OUT/left-2.png"
    check_exit_key "Exit ends the program"
    e2e_finish
fi
if [ "$CASE" = lost ]; then
    check "once camera 1 is silent, a pair is not taken and the camera is named" \
        grep -qE '^Pair not taken: camera 1 has sent no frame for [0-9.]+ s' <<<"$said"
    check "its silence is reported" grep -q '^Camera 1: no frame for 2 s' <<<"$said"
    check "only the first pair was written" [ "$(ls "$E2E_OUT"/Pair_* | wc -l)" = 4 ]
fi

# The nearest pair: camera 1's frame N ms after camera 0's, or its previous frame, whichever is
# nearer.
expected=$(awk -v p="$PHASE" 'BEGIN { t = 1000 / 30; q = p - t * int(p / t); print (q < t - q) ? q : t - q }')
within() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; exit !(d <= 2 && d >= -2) }'; }
reported=$(sed -n 's/^Pair 001: skew \([0-9.]*\) ms.*/\1/p' <<<"$said")
check "the pair's skew is reported ($reported ms, expected $expected)" within "${reported:-999}" "$expected"
file=$(ls "$E2E_OUT"/Pair_*_001.mpo 2>/dev/null | head -n 1)
comment=$(timeout 30 exiftool -s3 -Comment "$file" 2>/dev/null)
read -r skew left right < <(sed -n 's/^stereoshot pair: skew \([0-9.]*\) ms (left frame at \([0-9.]*\) s, right frame at \([0-9.]*\) s)$/\1 \2 \3/p' <<<"$comment")
check "the file carries it ($comment)" within "${skew:-999}" "$expected"
gap=$(awk -v l="${left:-0}" -v r="${right:-99}" 'BEGIN { d = (r - l) * 1000; print d < 0 ? -d : d }')
check "the frames' own times lie that far apart ($gap ms)" within "$gap" "$expected"
live=$(sed -n 's/.*skew \([0-9.]*\) ms mean.*/\1/p' <<<"$title")
check "the Stereo window's title shows it live ($title)" within "${live:-999}" "$expected"
check_exit_key "Exit ends the program"
e2e_finish
