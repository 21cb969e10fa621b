#!/usr/bin/env bash
# stereoshot.exe with the two test cameras in step, driven from outside: one pair in every format,
# read by the tools stereo viewers rely on (exiftool, FFmpeg, ImageMagick); the Stereo window's
# anaglyphs against FFmpeg's stereo3d filter of the live windows' own pixels; and the folders a
# pair cannot be saved in, which lose no pair already saved.
EXE="$1"
source "$(dirname "$0")/lib.sh"
command -v exiftool >/dev/null || { echo "exiftool is missing"; exit 1; }
BOX_COLUMNS=6 BUTTON_WIDTH=166
TAKE=0 FORMAT=1 VIEW=2

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
check "both cameras stream" wait_cameras_running
start_live
click_button $TAKE
for _ in $(seq 50); do [ "$(ls "$E2E_OUT"/Pair_*.jpg 2>/dev/null | wc -l)" = 2 ] && break; sleep 0.1; done
sleep 0.5
stem=$(ls "$E2E_OUT"/Pair_*.mpo 2>/dev/null | head -n 1)
stem=${stem%.mpo}
check "Take pair writes all four files of one pair (Pair_<date>_<time>_001)" \
    bash -c "[[ '$(basename "$stem")' =~ ^Pair_[0-9]{8}_[0-9]{6}_001$ ]] && ls '$stem'.jps '$stem'_parallel.jpg '$stem'_anaglyph.jpg >/dev/null"

# MPO: two images, both of disparity type, the left first and representative.
mpf=$(timeout 30 exiftool -G1 -a -MPF:all -ee "$stem.mpo")
check "exiftool lists two images in the MPO" grep -q 'Number Of Images *: 2' <<<"$mpf"
check "image 1 is representative" grep -q '\[MPImage1\] *MP Image Flags *: Representative image' <<<"$mpf"
check "both are of the disparity type" \
    [ "$(grep -c 'MP Image Type *: Multi-frame Disparity' <<<"$mpf")" = 2 ]
check "their individual numbers are 1 and 2, the base viewpoint 1" \
    bash -c "grep -q 'MP Individual Num *: 1' <<<'$mpf' && grep -q 'MP Individual Num *: 2' <<<'$mpf' && grep -q 'Base Viewpoint Num *: 1' <<<'$mpf'"
timeout 30 exiftool -b -MPImage2 "$stem.mpo" >"$E2E_OUT/mpo-right.jpg"
timeout 30 convert "jpeg:$stem.mpo" "$E2E_OUT/mpo-left.png"
psnr=$(half_psnr "$E2E_OUT/mpo-left.png" 0 0)
check "the MPO's first image decodes and is camera 0's picture, the left ($psnr dB)" matches "$psnr"
psnr=$(half_psnr "$E2E_OUT/mpo-right.jpg" 0 1)
check "its second image decodes and is camera 1's picture, the right ($psnr dB)" matches "$psnr"

# JPS: cross-eyed (right view first) and said so; the parallel JPEG the other way round.
stereo=$(timeout 30 ffmpeg -v info -i "$stem.jps" -vf showinfo -f null - 2>&1 | grep -o 'type - .*')
check "FFmpeg reads the JPS as side by side (inverted) ($stereo)" [ "$stereo" = "type - side by side (inverted)" ]
psnr=$(half_psnr "$stem.jps" 0 1)
check "the JPS's left half is the right camera ($psnr dB)" matches "$psnr"
psnr=$(half_psnr "$stem.jps" 640 0)
check "its right half the left camera ($psnr dB)" matches "$psnr"
psnr=$(half_psnr "${stem}_parallel.jpg" 0 0)
check "the parallel JPEG starts with the left camera ($psnr dB)" matches "$psnr"
info=$(timeout 30 identify -verbose "${stem}_parallel.jpg")
check "every JPEG is quality 100, 4:4:4" \
    bash -c "grep -q 'Quality: 100' <<<'$info' && grep -q 'sampling-factor: 1x1,1x1,1x1' <<<'$info'"
timeout 30 ffmpeg -v error -y -i "${stem}_parallel.jpg" -vf stereo3d=sbsl:arcd "$E2E_OUT/ffmpeg-anaglyph.png"
psnr=$(timeout 30 compare -metric PSNR "$E2E_OUT/ffmpeg-anaglyph.png" "${stem}_anaglyph.jpg" null: 2>&1 | awk '{print $1}')
check "the anaglyph file is FFmpeg's Dubois anaglyph of the same pair ($psnr dB)" matches "$psnr" 40
comment=$(timeout 30 exiftool -s3 -Comment "$stem.mpo")
check "each file carries the pair's skew, under 2 ms for cameras in step ($comment)" \
    grep -qE '^stereoshot pair: skew (0|1)\.[0-9] ms' <<<"$comment"

# The Stereo window in two anaglyphs against FFmpeg's filter of the Left and Right windows'
# pixels, all three copied through the clipboard once Stop has left them as they were, compared
# below the band of figures and inside the guides at the edges. (The filter's anaglyphs take RGB
# in that order: the BMPs' BGR is turned first.)
copy_image() {   # copy_image title-pattern file
    local window
    window=$(wait_window "$1") || return 1
    activate "$window"
    xdo key ctrl+c
    sleep 0.25
    timeout 10 xclip -selection clipboard -t image/bmp -o >"$2" 2>/dev/null
}
# The first view and the last of the button's cycle (the anaglyphs' arithmetic against the same
# filter is checked for all four natively).
views=(arcd arch arcg arcc)
for i in 0 3; do
    if [ "$i" != 0 ]; then
        start_capture
        for _ in 1 2 3; do click_button $VIEW; sleep 0.2; done
        sleep 0.6
    fi
    activate "$MAIN_WIN"
    xdo key c
    sleep 0.5
    copy_image '^Left\(70%\)$' "$E2E_OUT/left.bmp"
    copy_image '^Right\(70%\)$' "$E2E_OUT/right.bmp"
    copy_image '^Stereo: ' "$E2E_OUT/stereo-${views[$i]}.bmp"
    timeout 30 ffmpeg -v error -y -i "$E2E_OUT/left.bmp" -i "$E2E_OUT/right.bmp" \
        -filter_complex "hstack,format=rgb24,stereo3d=sbsl:${views[$i]}" "$E2E_OUT/ffmpeg-${views[$i]}.png"
    for f in "$E2E_OUT/ffmpeg-${views[$i]}.png" "$E2E_OUT/stereo-${views[$i]}.bmp"; do
        timeout 30 convert "$f" -crop 576x440+32+40 +repage "$f.crop.png"
    done
    psnr=$(timeout 30 compare -metric PSNR "$E2E_OUT/ffmpeg-${views[$i]}.png.crop.png" \
        "$E2E_OUT/stereo-${views[$i]}.bmp.crop.png" null: 2>&1 | awk '{print $1}')
    check "the Stereo view ${views[$i]} is FFmpeg's of the live pair ($psnr dB)" matches "$psnr" 40
done
title=$(xdotool getwindowname "$(wait_window '^Stereo: ')")
check "the Stereo window's title gives the live skew ($title)" \
    grep -qE '^Stereo: colour, skew [0-9.]+ ms mean, [0-9.]+ max' <<<"$title"

# Folders a pair cannot go to: a missing one, one the program may not write (the scripts run
# Wine without root's override of permissions), a file in a folder's place, one whose name holds
# a character no file name may. Each says why; the first pair's files stay as they were.
before=$(md5sum "$stem".* "$stem"_* | sort)
set_folder() { set_input_item 0 "$1"; }
echo "a file" >"$E2E_OUT/afile"
mkdir -p "$E2E_OUT/locked"
chmod a-w "$E2E_OUT/locked"
trap 'chmod u+w "$E2E_OUT/locked"; end_program' EXIT
start_capture
for folder in nowhere locked afile 'a|b'; do
    set_folder "$folder"
    click_button $TAKE
    sleep 1
done
said=$(said_at_stop)
check "a missing folder is named as missing" grep -q 'the folder "nowhere" does not exist' <<<"$said"
check "a folder that cannot be written says why, file by file" \
    grep -qE 'locked\\Pair_[0-9_]+\.jps not saved: .+' <<<"$said"
check "and nothing is left in it" [ -z "$(ls -A "$E2E_OUT/locked")" ]
check "a file in a folder's place is told" grep -q '"afile" is a file, not a folder' <<<"$said"
check "a name that cannot be made is told" grep -q 'no file name can be made in the folder "a|b"' <<<"$said"
check "no pair after the first was saved" [ "$(ls "$E2E_OUT"/Pair_* | wc -l)" = 4 ]
check "the pair saved before is untouched" [ "$(md5sum "$stem".* "$stem"_* | sort)" = "$before" ]
check_exit_key "Exit ends the program"
e2e_finish
