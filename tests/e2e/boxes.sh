#!/usr/bin/env bash
# The button box and the input box of the real program, opened from the main window's popup and
# its prompts typed from outside (a second box of a kind replaces the first); clicks and keys reach
# the boxes as a user's do.
EXE="$1"
source "$(dirname "$0")/lib.sh"

# Chooses the n-th enabled item of the main window's popup menu.
choose_main_item() {
    activate "$MAIN_WIN"
    open_popup "$E2E_OUT/main-popup.png" || return 1
    for _ in $(seq "$1"); do xdo key Down; done
    xdo key Return
}


# Types a line into text window 0, where the main window's prompts read.
answer() {
    local text_win
    text_win=$(wait_window '^TextWindow 0$') || return 1
    activate "$text_win"
    xdo type --delay 40 "$1"
    xdo key Return
    sleep 0.2
}

# Opens a box from item $1 of the main window's popup, titled $2, the prompts answered with the
# rest; prints how many boxes of that title are open and the client size of the one found.
open_box() {
    local item="$1" title="$2" w h
    shift 2
    choose_main_item "$item"
    for line in "$@"; do answer "$line"; done
    sleep 0.5
    read -r _ _ w h < <(geometry "$(wait_window "^$title\$")")
    echo "$(xdo search --onlyvisible --name "^$title\$" | wc -l) ${w}x${h}"
}

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready

# Button Box: Paste, Start, Stop, Exit, Image Window, Text Window, Input Box, Button Box.
got=$(open_box 8 ButtonBox 11 3)
check "the Button Box prompts open an 11 x 3 box, its client area 1126 x 94 ($got)" [ "$got" = "1 1126x94" ]
shot -window "$(wait_window '^ButtonBox$')" "$E2E_OUT/button-box.png"

# Input Box with 3 items, then 5 in its place.
got=$(open_box 7 InputBox 3)
check "the Input Box prompt opens a box of 3 items, its client area 162 x 86 ($got)" [ "$got" = "1 162x86" ]
shot -window "$(wait_window '^InputBox$')" "$E2E_OUT/input-box.png"
got=$(open_box 7 InputBox 5)
check "a second Input Box of 5 items replaces it ($got)" [ "$got" = "1 162x142" ]

# A 2 x 1 Button Box replaces the open one; Ctrl+Q closes it.
got=$(open_box 8 ButtonBox 2 1)
check "a second Button Box of 2 x 1 replaces it ($got)" [ "$got" = "1 208x34" ]
BOX=$(wait_window '^ButtonBox$')
activate "$BOX"
xdo key ctrl+q
sleep 0.5
check "Ctrl+Q closes the button box" [ -z "$(xdo search --onlyvisible --name '^ButtonBox$')" ]

# A click on a button gives the box the keyboard: X typed after it ends the program.
open_box 8 ButtonBox 2 1 >/dev/null
BOX=$(wait_window '^ButtonBox$')
xdo mousemove --window "$BOX" 30 15 click 1
sleep 0.3
t=$(now_ms)
xdo key x
took=$(wait_for_exit "$t")
check "after a click, X in the button box reaches the main window and ends the program" \
    [ "$took" != running ]

e2e_finish
