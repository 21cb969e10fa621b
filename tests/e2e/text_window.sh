#!/usr/bin/env bash
# A text window of the real program, typed into from outside: the console's commands, editing,
# recall, paste and tab, with the window's log file as the record of what arrived; then the
# console's "start" and "exit".
EXE="$1"
source "$(dirname "$0")/lib.sh"
LOG="$E2E_OUT/TORVEX0.LOG"

start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready

# "Text Window" from the main window's popup menu opens the next free slot: the program has
# TextWindow 0 open, so TextWindow 1. The console is then typed into TextWindow 0.
activate "$MAIN_WIN"
open_popup "$E2E_OUT/main-popup.png"
for _ in 1 2 3 4 5 6; do xdo key Down; done   # Paste, Start, Stop, Exit, Image Window, Text Window
xdo key Return
check "with TextWindow 0 open, the main window's Text Window command opens TextWindow 1" \
    wait_window '^TextWindow 1$'
TEXT_WIN=$(wait_window '^TextWindow 0$')
[ -n "$TEXT_WIN" ] || e2e_finish

# "Start Log" from the text window's own popup menu.
check "the text window's popup menu opens" start_log "$TEXT_WIN"
check "Start Log makes TORVEX0.LOG in the start-up directory" [ -f "$LOG" ]

# Each console command: Space opens the "Cmd>" prompt, the keys are typed, Enter ends the line.
console() {
    activate "$TEXT_WIN"
    xdo key space
    sleep 0.1
    "$@"
    xdo key Return
    sleep 0.3
}
console xdo type --delay 40 abc
console bash -c 'timeout 10 xdotool type --delay 40 abc; timeout 10 xdotool key BackSpace; timeout 10 xdotool type d'
console xdo type --delay 40 help
console xdo type --delay 40 Help
console xdo type --delay 40 'help '
console xdo type --delay 40 color
console xdo key Up
printf 'hel\nlo' | timeout 10 xclip -selection clipboard -i
sleep 0.5
console bash -c 'timeout 10 xdotool key ctrl+v; sleep 0.2; timeout 10 xdotool type p'
console bash -c 'timeout 10 xdotool type a; timeout 10 xdotool key Tab; timeout 10 xdotool type b'
shot -window "$TEXT_WIN" "$E2E_OUT/text-window.png"

colors='Red  :255
Green:255
Blue :255
tvx_tttc=ffffff
tvx_tc=000000'
expected="Cmd>abc
Invalid command
Cmd>abd
Invalid command
Cmd>help
Command list:exit help start ver color
Cmd>Help
Invalid command
Cmd>help 
Invalid command
Cmd>color
$colors
Cmd>color
$colors
Cmd>help
Command list:exit help start ver color
Cmd>a b
Invalid command"
# The copy on the clipboard (Ctrl+C in the window) shows everything logged so far, line ends
# as stored: carriage return and line feed.
activate "$TEXT_WIN"
xdo key ctrl+c
sleep 0.5
clip=$(timeout 10 xclip -selection clipboard -o | tr -d '\r')
check "Ctrl+C puts the log on the clipboard with every typed line and every answer" \
    [ "$clip" = "$expected" ]
[ "$clip" = "$expected" ] || diff <(echo "$expected") <(echo "$clip")
check "the log stores CR LF line ends" grep -q $'abd\r$' "$LOG"

# "start" starts a run (the popup greys Start); C in the text window stops it.
activate "$MAIN_WIN"
open_popup "$E2E_OUT/popup-idle.png" && close_popup
console xdo type --delay 40 start
activate "$MAIN_WIN"
open_popup "$E2E_OUT/popup-running.png" && close_popup
check "the console's start starts a run" \
    different_picture "$E2E_OUT/popup-idle.png" "$E2E_OUT/popup-running.png"
activate "$TEXT_WIN"
xdo key c
sleep 0.3
activate "$MAIN_WIN"
open_popup "$E2E_OUT/popup-stopped.png" && close_popup
check "C in a text window stops the run" \
    same_picture "$E2E_OUT/popup-idle.png" "$E2E_OUT/popup-stopped.png"

# "exit" ends the program through the normal Exit, which closes the log.
activate "$TEXT_WIN"
xdo key space
sleep 0.1
xdo type --delay 40 exit
t=$(now_ms)
xdo key Return
took=$(wait_for_exit "$t")
check "the console's exit ends the program (took $took ms)" [ "$took" != running ]
check "the log holds the exit line too" grep -q $'^Cmd>exit\r$' "$LOG"

# Exit while the console waits for a line ends the input and the program at once.
start_program "$EXE" || fail "second start"
wait_ready
TEXT_WIN=$(wait_window '^TextWindow 0$') || fail "text window for the waiting console"
activate "$TEXT_WIN"
xdo key space
sleep 0.3
activate "$MAIN_WIN"
t=$(now_ms)
xdo key x
took=$(wait_for_exit "$t")
check "X while a line waits ends the program within 2 s (took $took ms)" \
    bash -c "[ '$took' != running ] && [ '$took' -lt 1500 ]"

e2e_finish
