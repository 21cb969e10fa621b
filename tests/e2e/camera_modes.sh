#!/usr/bin/env bash
# The capture job with cameras that behave like webcams people own: the test cameras in the mode
# given (registered for this test, and plainly again after), or, for a mode "v4l2 ...", the two
# virtual V4L2 webcams reached through Wine's own capture filter (the test cameras unregistered
# meanwhile; "v4l2 mjpg" offers MJPG alone). Both cameras open, the live windows show their pictures, a Capture's halves are the
# cameras' whole pictures, and text window 0 says at Stop what each camera delivers and what
# became of its samples.
# Usage: camera_modes.sh program name mode "expected format" minimum-dB [damaged]
EXE="$1" E2E_NAME="camera_$2" MODE="$3" FORMAT="$4" MIN_DB="$5" DAMAGED="${6:-}"
source "$(dirname "$0")/lib.sh"
trap 'end_program; regsvr ""' EXIT
if [[ "$MODE" == v4l2* ]]; then
    SHIM="$TVX_BUILD/native/libtvx_v4l2_webcam.so"
    check "the virtual webcams are built ($SHIM)" [ -f "$SHIM" ]
    PROGRAM_ENV="LD_PRELOAD=$SHIM"
    [[ "$MODE" == *mjpg* ]] && PROGRAM_ENV="$PROGRAM_ENV TVX_V4L2_FORMATS=mjpg"
    check "the test cameras are unregistered" regsvr "" /u
    IDENTITY="[TVX Virtual Webcam @ #@]"   # @: the camera's number
else
    check "the test cameras are registered in mode $MODE" regsvr "$MODE"
    IDENTITY='[\\?\tvx#testcam#@]'
fi

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
[[ "$MODE" == v4l2* ]] || check "both cameras stream" wait_cameras_running
start_live
# A damaged camera 1 delivers broken samples, then falls silent for good.
[ -n "$DAMAGED" ] && sleep 3
# Without camera control and property pages the focus presets and ConfigLR leave the cameras
# alone and the loop goes on.
if [[ "$MODE" == *nocontrol* || "$MODE" == v4l2* ]]; then
    click_button 0
    click_button 12
    sleep 1
    check "ConfigLR opens no property pages" bash -c "! xdotool search --onlyvisible --name '^Video Capture' >/dev/null 2>&1"
fi
click_button 11
sleep 0.8
captures=("$E2E_OUT"/CaptureAt*.jps)
check "Capture writes one pair (${#captures[@]})" [ "${#captures[@]}" = 1 ]
psnr=$(half_psnr "${captures[0]}" 0 0)
check "its left half is camera 0's whole picture ($psnr dB, at least $MIN_DB)" matches "$psnr" "$MIN_DB"
psnr=$(half_psnr "${captures[0]}" 640 1)
check "its right half is camera 1's whole picture ($psnr dB, at least $MIN_DB)" matches "$psnr" "$MIN_DB"

said=$(said_at_stop | iconv -f CP932 -t UTF-8)
printf '%s\n' "$said" | grep '^Camera' | sed 's/^/  text window: /'
has() { grep -qF -- "$1" <<<"$2"; }
for camera in 0 1; do
    line=$(grep "^Camera $camera: TVX" <<<"$said" | tail -n 1)
    identity=${IDENTITY//@/$camera}
    check "Stop names camera $camera, its identity $identity and its format \"$FORMAT\"" \
        has "$identity $FORMAT" "$line"
done
if [ -n "$DAMAGED" ]; then
    check "camera 1's corrupt frames are counted, never shown" \
        grep -qE '^Camera 1: [0-9]+ frames, [1-9][0-9]* dropped \(0 short, [1-9][0-9]* corrupt' <<<"$said"
    check "and its silence is reported" grep -q '^Camera 1: no frame for 2 s' <<<"$said"
    check "camera 0 lost nothing" grep -qE '^Camera 0: [0-9]+ frames, 0 dropped' <<<"$said"
else
    check "no sample was dropped" bash -c "! grep -qE ' [1-9][0-9]* dropped' <<<\"\$1\"" _ "$said"
fi
check_exit_key "Exit ends the program"
e2e_finish
