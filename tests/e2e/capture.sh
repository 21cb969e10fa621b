#!/usr/bin/env bash
# The capture job with the two virtual test cameras: Start, live pictures, a real click on
# "Capture" writing a side-by-side .jps, swapLR, a focus preset typed into the box, Stop, Exit.
EXE="$1"
source "$(dirname "$0")/lib.sh"

focus_of() { awk '$1 == 16 {print $2}' "$CAMERA_STATE/tvx-testcam-$1.state"; }
brightness_of() { awk '$1 == 0 {print $2}' "$CAMERA_STATE/tvx-testcam-$1.state"; }
flags_of() { awk '$1 == 16 {print $3 + 0}' "$CAMERA_STATE/tvx-testcam-$1.state"; }

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
wait_cameras_running
# Text window 0's log records what the window shows while the button box covers it.
start_live
RIGHT=$(wait_window '^Right\(70%\)$')
check "the Right and Left windows are up" bash -c "[ -n '$LEFT' ] && [ -n '$RIGHT' ]"
# Camera 0's band (yellow) in Left, camera 1's (cyan) in Right.
check "Left shows camera 0" near "$(pixel "$E2E_OUT/left-2.png" 100 3)" 255,255,0
shot -window "$RIGHT" "$E2E_OUT/right-2.png"
check "Right shows camera 1" near "$(pixel "$E2E_OUT/right-2.png" 100 3)" 0,255,255

click_button 11
sleep 1.5
captures=("$E2E_OUT"/CaptureAt*.jps)
check "one click on Capture writes one CaptureAt<8 hex digits>.jps (${#captures[@]})" \
    bash -c "[ ${#captures[@]} = 1 ] && [[ \$(basename '${captures[0]}') =~ ^CaptureAt[0-9A-F]{8}\.jps$ ]]"
first="${captures[0]}"
check "it is a 1280 x 480 JPEG" bash -c "identify '$first' | grep -q 'JPEG 1280x480'"
info=$(timeout 30 identify -verbose "$first")
check "of quality 100, its colours not subsampled (4:4:4)" \
    bash -c "grep -q 'Quality: 100' <<<'$info' && grep -q 'sampling-factor: 1x1,1x1,1x1' <<<'$info'"
# The stereo descriptor right after the start of image: APP3 "_JPSJPS_", block length 4, then
# separation 0, left field first, side by side, stereoscopic.
head=$(head -c 20 "$first" | od -An -tx1 | tr -d ' \n')
check "APP3 _JPSJPS_ follows SOI with 00 04 02 01 (got $head)" \
    [ "$head" = "ffd8ffe300105f4a50534a50535f000400040201" ]
# Stereo viewers read the pair's order from its descriptor: side by side, left view first.
stereo=$(timeout 30 ffmpeg -v info -i "$first" -vf showinfo -f null - 2>&1 | grep -o 'stereoscopic information: .*')
check "FFmpeg reads it as a stereo pair, left first (got: $stereo)" \
    bash -c "grep -q 'type - side by side$' <<<'$stereo'"
# Each half against its camera's own picture of that frame, pixel for pixel: a swapped, flipped,
# shifted or torn half is far below 50 dB.
psnr=$(half_psnr "$first" 0 0)
check "the whole left half is a frame of camera 0's picture ($psnr dB)" matches "$psnr"
psnr=$(half_psnr "$first" 640 1)
check "the whole right half is a frame of camera 1's picture ($psnr dB)" matches "$psnr"

click_button 32   # swapLR
sleep 0.5
mkdir -p "$E2E_OUT/before-swap" && mv "$E2E_OUT"/CaptureAt*.jps "$E2E_OUT/before-swap/"
click_button 11
sleep 1.5
swapped=("$E2E_OUT"/CaptureAt*.jps)
psnr=$(half_psnr "${swapped[0]}" 0 1)
check "after swapLR the whole left half is camera 1's picture ($psnr dB)" matches "$psnr"
psnr=$(half_psnr "${swapped[0]}" 640 0)
check "and the right half camera 0's ($psnr dB)" matches "$psnr"

activate "$BOX"
xdo type 5
sleep 0.5
check "typing 5 sets camera 0's focus to 50 % (125 of 0..250; got $(focus_of 0))" [ "$(focus_of 0)" = 125 ]
check "and camera 1's (got $(focus_of 1))" [ "$(focus_of 1)" = 125 ]
shot -window root "$E2E_OUT/screen.png"

# Auto_F puts both focuses on automatic; Fix_F fixes them at camera 0's position.
click_button 22
sleep 0.5
check "Auto_F: both cameras focus automatically" bash -c "[ $(flags_of 0) = 1 ] && [ $(flags_of 1) = 1 ]"
click_button 23
sleep 0.5
check "Fix_F: both manual again (flags $(flags_of 0) $(flags_of 1))" \
    bash -c "[ $(flags_of 0) = 2 ] && [ $(flags_of 1) = 2 ]"
check "at camera 0's position" [ "$(focus_of 1)" = "$(focus_of 0)" ]

# ConfigLR: camera 0's property pages (closed here), then camera 1 takes camera 0's settings.
# First camera 1 gets a brightness of its own in its pages (ConfigL), typed into their field.
click_button 0   # focus 100 % on both
sleep 0.5
click_button 13
PAGES=$(wait_window '^Video Capture 1')
check "ConfigL opens camera 1's property pages" [ -n "$PAGES" ]
[ -n "$PAGES" ] && { activate "$PAGES"; xdo type 200; xdo key Return; }
sleep 0.8
check "camera 1's brightness is set in its pages ($(brightness_of 1), camera 0 $(brightness_of 0))" \
    bash -c "[ $(brightness_of 1) = 200 ] && [ $(brightness_of 0) = 128 ]"
click_button 12
PAGES=$(wait_window '^Video Capture 0')
check "ConfigLR opens camera 0's property pages" [ -n "$PAGES" ]
[ -n "$PAGES" ] && { activate "$PAGES"; xdo key Escape; }
sleep 0.8
check "and camera 1 has camera 0's brightness afterwards ($(brightness_of 1))" [ "$(brightness_of 1)" = 128 ]
check "and camera 0's focus" [ "$(focus_of 1)" = "$(focus_of 0)" ]

# Two clicks between two frames save one file. While ConfigL's property pages are open the loop
# waits in them and takes no frame, so both clicks surely fall between the same two frames.
rm -f "$E2E_OUT"/CaptureAt*.jps
click_button 13
PAGES=$(wait_window '^Video Capture 1')
click_button 11
sleep 0.2
click_button 11
sleep 0.2
[ -n "$PAGES" ] && { activate "$PAGES"; xdo key Escape; }
sleep 1.5
pairs=("$E2E_OUT"/CaptureAt*.jps)
check "two clicks on Capture between two frames save one file (${#pairs[@]})" [ "${#pairs[@]}" = 1 ]

# Stop, then Start again: unswapped, with the same box.
activate "$MAIN_WIN"
xdo key c
sleep 0.5
xdo key s
sleep 1
check "the second Start reuses the box" [ "$(xdo search --onlyvisible --name '^ButtonBox$' | head -n 1)" = "$BOX" ]
rm -f "$E2E_OUT"/CaptureAt*.jps
click_button 11
sleep 1.5
again=("$E2E_OUT"/CaptureAt*.jps)
check "and starts unswapped: Left is camera 0 again" near "$(pixel "${again[0]}" 100 5)" 255,255,0

check_exit_key "Exit ends the program"
stopped() {
    for _ in $(seq 40); do
        grep -q '^state 0' "$CAMERA_STATE/tvx-testcam-0.state" && grep -q '^state 0' "$CAMERA_STATE/tvx-testcam-1.state" && return 0
        sleep 0.05
    done
    return 1
}
check "and both cameras' streams have ended" stopped
said=$(iconv -f CP932 -t UTF-8 "$LOG" | tr -d '\r')
check "a \"*\" per frame accumulates in text window 0 ($(tr -cd '*' <<<"$said" | wc -c))" \
    [ "$(tr -cd '*' <<<"$said" | wc -c)" -ge 100 ]
check "Stop prints \"Stop\" on its own line end" grep -q 'Stop$' <<<"$said"
check "the first capture's name is printed among the stars" grep -q "\*$(basename "$first" .jps)\*" <<<"$said"
e2e_finish
