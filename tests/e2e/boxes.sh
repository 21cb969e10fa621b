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

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready

# Button Box: Paste, Start, Stop, Exit, Image Window, Text Window, Input Box, Button Box.
choose_main_item 8
answer 11
answer 3
BOX=$(wait_window '^ButtonBox$')
check "the Button Box prompts open an 11 x 3 box" [ -n "$BOX" ]
read -r _ _ w h < <(geometry "$BOX")
check "its client area is 1126 x 94 (got ${w}x${h})" [ "${w}x${h}" = 1126x94 ]
shot -window "$BOX" "$E2E_OUT/button-box.png"

# Input Box with 3 items, then 5 in its place.
choose_main_item 7
answer 3
INPUT=$(wait_window '^InputBox$')
check "the Input Box prompt opens a box" [ -n "$INPUT" ]
read -r _ _ w h < <(geometry "$INPUT")
check "3 items give a client area of 162 x 86 (got ${w}x${h})" [ "${w}x${h}" = 162x86 ]
shot -window "$INPUT" "$E2E_OUT/input-box.png"
choose_main_item 7
answer 5
sleep 0.5
boxes=$(xdo search --onlyvisible --name '^InputBox$' | wc -l)
read -r _ _ w h < <(geometry "$(wait_window '^InputBox$')")
check "a second Input Box of 5 items replaces it ($boxes box, ${w}x${h})" [ "$boxes ${w}x${h}" = "1 162x142" ]

# A 2 x 1 Button Box replaces the open one; Ctrl+Q closes it.
choose_main_item 8
answer 2
answer 1
sleep 0.5
boxes=$(xdo search --onlyvisible --name '^ButtonBox$' | wc -l)
BOX=$(wait_window '^ButtonBox$')
read -r _ _ w h < <(geometry "$BOX")
check "a second Button Box of 2 x 1 replaces it ($boxes box, ${w}x${h})" [ "$boxes ${w}x${h}" = "1 208x34" ]
activate "$BOX"
xdo key ctrl+q
sleep 0.5
check "Ctrl+Q closes the button box" [ -z "$(xdo search --onlyvisible --name '^ButtonBox$')" ]

# A click on a button gives the box the keyboard: X typed after it ends the program.
choose_main_item 8
answer 2
answer 1
BOX=$(wait_window '^ButtonBox$')
xdo mousemove --window "$BOX" 30 15 click 1
sleep 0.3
t=$(now_ms)
xdo key x
took=$(wait_for_exit "$t")
check "after a click, X in the button box reaches the main window and ends the program" \
    [ "$took" != running ]

e2e_finish
