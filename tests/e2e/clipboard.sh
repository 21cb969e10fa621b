#!/usr/bin/env bash
# Pictures and text between the program and other X programs through the clipboard: a PNG and a
# BMP put there with xclip are pasted with Ctrl+V into image windows and by the main window's
# Ctrl+V into a new one; an image window's Ctrl+C is read back with xclip as the same picture, and
# the main window's Ctrl+W as the layout listing.
EXE="$1"
source "$(dirname "$0")/lib.sh"
command -v xclip >/dev/null || { echo "xclip is missing"; exit 1; }

CLIPS=()
# Puts a file on the X clipboard as the type given; xclip serves it until another owner comes.
offer() {
    xclip -selection clipboard -t "$2" -i "$1" &
    CLIPS+=($!)
    sleep 0.3
}
end_clips() { for pid in "${CLIPS[@]}"; do kill "$pid" 2>/dev/null; done; return 0; }
trap 'end_clips; end_program' EXIT


# A 20 x 10 picture: red, with a blue right half.
convert -size 20x10 xc:'#FF0000' -fill '#0000FF' -draw 'rectangle 10,0 19,9' "$E2E_OUT/picture.png"
convert "$E2E_OUT/picture.png" -type TrueColor "BMP3:$E2E_OUT/picture.bmp"

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
RIGHT=$(wait_window '^Right\(70%\)$')
LEFT=$(wait_window '^Left\(70%\)$')

offer "$E2E_OUT/picture.png" image/png
activate "$RIGHT"
xdo key ctrl+v
sleep 0.5
check "a PNG from xclip is pasted at (0, 0) of Right" [ "$(colour_at "$RIGHT" 2 2)" = "#FF0000" ]
check "its blue half beside it" [ "$(colour_at "$RIGHT" 10 2)" = "#0000FF" ]
check "and nothing beyond it" [ "$(colour_at "$RIGHT" 30 30)" = "#000000" ]

offer "$E2E_OUT/picture.bmp" image/bmp
activate "$LEFT"
xdo key ctrl+v
sleep 0.5
check "a BMP from xclip is pasted at (0, 0) of Left" [ "$(colour_at "$LEFT" 2 2)" = "#FF0000" ]

activate "$MAIN_WIN"
xdo key ctrl+v
NEW=$(wait_window '^003\(')
check "the main window's Ctrl+V makes image window 003 of the picture" [ -n "$NEW" ]

# Right's whole picture out to xclip: 640 x 480, the pasted corner as it went in.
activate "$RIGHT"
xdo key ctrl+c
sleep 0.5
timeout 10 xclip -selection clipboard -t image/bmp -o >"$E2E_OUT/copied.bmp" 2>/dev/null
check "xclip reads Right's copy as a 640 x 480 picture" \
    [ "$(identify -format '%wx%h' "$E2E_OUT/copied.bmp" 2>/dev/null)" = 640x480 ]
convert "$E2E_OUT/copied.bmp" -crop 20x10+0+0 +repage "$E2E_OUT/copied-corner.png" 2>/dev/null
check "with the pasted picture in its corner, pixel for pixel" \
    same_picture "$E2E_OUT/picture.png" "$E2E_OUT/copied-corner.png"

# Ctrl+W in the main window: the layout listing on the clipboard as text for other programs.
activate "$MAIN_WIN"
xdo key ctrl+w
sleep 0.5
timeout 10 xclip -selection clipboard -o >"$E2E_OUT/listing.txt" 2>/dev/null
check "xclip reads the layout listing: Right's image window" \
    grep -q '^	TVX_CreateImage(0,"Right",[0-9-]*,[0-9-]*,640,480,70);$' "$E2E_OUT/listing.txt"
check "and its last line" grep -q '^	TVX_SetForeground(TVXMAINWINDOW);$' "$E2E_OUT/listing.txt"

check_exit_key "X ends the program"
e2e_finish
