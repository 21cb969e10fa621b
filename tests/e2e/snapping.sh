#!/usr/bin/env bash
# Ctrl-drags of library windows, done from outside with xdotool, snap to the screen's edge and to
# a neighbour; a plain drag does not. Run inside a Wine virtual desktop: there Wine moves its
# windows itself (with the moving message each step), where a window manager would move them
# without one. The windows' places are read from the layout listing (Ctrl+W) through xclip.
EXE="$1"
source "$(dirname "$0")/lib.sh"

DESKTOP_W=1280
DESKTOP_H=1024
# The program runs as a child of the desktop's process: whatever of it outlives the test ends
# with it.
BEFORE=" $(pgrep -d ' ' -x 'stereocap.exe') "
end_desktop() {
    for pid in $(pgrep -x 'stereocap.exe'); do
        [[ "$BEFORE" == *" $pid "* ]] || kill "$pid" 2>/dev/null
    done
    end_program
}
trap end_desktop EXIT
(cd "$XD_DIR" && exec env LC_ALL=ja_JP.UTF-8 "$TVX_WINE" explorer \
    "/desktop=tvxsnap,${DESKTOP_W}x${DESKTOP_H}" "$(realpath "$EXE")" </dev/null >>"$XD_DIR/program.log" 2>&1) &
PROGRAM_PID=$!
DESKTOP=$(wait_window '^tvxsnap - Wine desktop$')
check "the program's virtual desktop is up" [ -n "$DESKTOP" ]
[ -n "$DESKTOP" ] || e2e_finish
sleep 4   # start-up: the windows made and the main window at rest

# The x,y of image window n in the listing of the current layout. A Ctrl+W sent while the main
# window is still taking the focus can be lost: then it is pressed again.
place_of() {
    local place=""
    for _ in 1 2 3; do
        xdo mousemove --window "$DESKTOP" 640 $((DESKTOP_H - 30)) click 1   # the main window
        sleep 0.3
        xdo key ctrl+w
        sleep 0.5
        timeout 10 xclip -selection clipboard -o 2>/dev/null >"$E2E_OUT/listing.txt"
        place=$(sed -n "s/^	TVX_CreateImage($1,\"[^\"]*\",\([0-9-]*\),\([0-9-]*\),.*/\1,\2/p" \
            "$E2E_OUT/listing.txt")
        [ -n "$place" ] && break
    done
    echo "$place"
}

# Drags the caption at desktop point (x, y) by (dx, dy) in steps; $5 is "ctrl" or "plain". The
# window is activated by a click first (a press that also activates may not start the drag), and
# the press comes after the double-click time, so that the two do not make a double click.
drag_once() {
    local x="$1" y="$2" dx="$3" dy="$4"
    xdo mousemove --window "$DESKTOP" "$x" "$y" click 1
    sleep 0.8
    [ "$5" = ctrl ] && xdo keydown ctrl
    xdo mousedown 1
    sleep 0.2
    for _ in 1 2 3 4 5; do
        xdo mousemove_relative -- 0 $((dy / 5))
        sleep 0.05
    done
    xdo mousemove_relative -- "$dx" 0
    sleep 0.2
    xdo mouseup 1
    [ "$5" = ctrl ] && xdo keyup ctrl
    sleep 0.4
}

# The same for image window $6, pressed again while the window has not moved at all: under
# Wine's virtual desktop a press now and then starts no drag. Whether and where it snaps is not
# retried.
drag() {
    local before
    before=$(place_of "$6")
    for _ in 1 2 3; do
        drag_once "$@"
        [ "$(place_of "$6")" != "$before" ] && return 0
        echo "(the drag did not start; pressing again)"
    done
    return 1
}

RIGHT0=$(place_of 0)
LEFT0=$(place_of 1)
check "Right starts at 0,0 and Left at 448,0 ($RIGHT0, $LEFT0)" [ "$RIGHT0 $LEFT0" = "0,0 448,0" ]
drag 200 8 5 200 ctrl 0
PLACE=$(place_of 0)
check "Right dragged with Ctrl 5 pixels off the left edge sits on it ($PLACE)" [ "${PLACE%,*}" = 0 ]
drag 700 8 -3 300 plain 1
check "Left dragged without Ctrl goes where it is put ($(place_of 1))" [ "$(place_of 1)" = 445,300 ]
drag 700 308 4 20 ctrl 1
PLACE=$(place_of 1)
check "Left dragged with Ctrl near Right's edge snaps beside it ($PLACE)" [ "${PLACE%,*}" = 454 ]

xdo key x
wait_for_exit "$(now_ms)" >/dev/null
e2e_finish
