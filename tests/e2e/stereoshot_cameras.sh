#!/usr/bin/env bash
# stereoshot with cameras that are not in step, or not there. With camera 1 a known phase behind
# camera 0 (the test cameras' "phase=N"), the pair taken is the nearest one (N ms, or a frame
# period less N when camera 1's previous frame lies nearer), its skew is reported within 2 ms and
# written into the files, and the live figure in the Stereo window's title says the same. With
# "lost" camera 1 is 10 ms behind and falls silent after eight seconds: the first pair is taken,
# an interval series ends early keeping its pairs, and the next pair is refused with the camera
# named. With "one", a single virtual V4L2 webcam (which has
# no focus control): the program says that pairs need two cameras, the focus buttons say what
# the camera lacks, and it goes on. With "series", cameras that offer 1280 x 720 and 1920 x 1080
# (raw only at a third of the rate, MJPG at 30 fps): numbers a series cannot take are refused;
# at 1280 x 720 a burst of 10 and an interval series of 10 are written whole and in order; at
# 1920 x 1080 a pair; the live figure of a rig 12 pixels out at 1280 x 720; the size holds over a
# restart, and falls back to 640 x 480 with a message
# when the cameras no longer offer it. With "rig": a
# textured scene that camera 1 sees 12 pixels lower - the live figure and the file's comment say
# so - from cameras that start with different settings and hold the same ones after Match
# cameras, and a damaged settings file. With "sides": two cameras of one name; after
# Sides (twice) and a restart with the other camera found first, Left is still the same camera.
# The phase cases' cameras have no camera control: Match cameras names what it cannot set.
# With "syncA-B" camera 0 delivers its frames A ms after exposing them, camera 1 B ms, and both
# film the Sync window or see a light switched at known moments: both sync checks measure B - A
# within 3 ms; with A-B 0-40 a pair taken before "Use delay" is a frame apart in exposure (the
# frame numbers in its halves), one taken after it is exposed together; with 30-30, cameras that
# then send a still picture give no sync signal and nothing to use.
# Usage: stereoshot_cameras.sh program phase-ms|lost|one|series|rig|sides|syncA-B
EXE="$1" CASE="$2" E2E_NAME="stereoshot_cameras_$2"
PHASE="$CASE"
[ "$CASE" = lost ] && PHASE=10
source "$(dirname "$0")/lib.sh"
trap 'end_program; regsvr ""' EXIT
BOX_COLUMNS=6 BUTTON_WIDTH=166
if [ "$CASE" = one ]; then
    check "the test cameras are unregistered" regsvr "" /u
    PROGRAM_ENV="LD_PRELOAD=$TVX_BUILD/native/libtvx_v4l2_webcam.so TVX_V4L2_CAMERAS=1"
elif [ "$CASE" = series ]; then
    check "the test cameras are registered as today's webcams, camera 1 12 pixels lower" regsvr "hd,voffset=12"
elif [ "$CASE" = rig ]; then
    check "the test cameras show a scene, camera 1 12 pixels lower, with other settings" regsvr "voffset=12,differ"
elif [ "$CASE" = sides ]; then
    check "two test cameras of one name are registered" regsvr "samename"
elif [[ "$CASE" == sync* ]]; then
    LATENCY=${CASE#sync}
    check "the test cameras deliver ${LATENCY%-*} and ${LATENCY#*-} ms after exposure, see flashes and the Sync window" \
        regsvr "latency=${LATENCY%-*}/${LATENCY#*-},flashes,screen"
elif [ "$CASE" = lost ]; then
    check "the test cameras are registered with camera 1 10 ms behind, stopping after 8 s" \
        regsvr "phase=10,stopafter=240"
else
    check "the test cameras are registered with camera 1 $PHASE ms behind, without camera control" \
        regsvr "phase=$PHASE,nocontrol"
fi
if [ "$CASE" = rig ]; then   # and a settings file spoilt
    roaming=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -n 1)
    mkdir -p "$roaming/stereoshot" && printf 'sides=swapped\n' >"$roaming/stereoshot/settings.ini"
fi
# Starts the program again with a fresh log of text window 0, and presses Start.
restart_logged() {
    rm -f "$LOG"
    start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
    wait_ready
    TEXT_WIN=$(wait_window '^TextWindow 0$')
    start_log "$TEXT_WIN"
    start_capture
}
started=$(now_ms)
start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
wait_ready
start_live
sleep 1.1   # a whole second of live pairs for the title's figure
title=$(xdotool getwindowname "$(wait_window '^Stereo')")

# Sides kept by device path: the band at the top of each picture tells the cameras apart (camera
# 0 yellow, camera 1 cyan).
if [ "$CASE" = sides ]; then
    band() { colour_at "$(wait_window '^Left\(70%\)$')" 10 5; }
    first=$(band)
    click_button 3
    sleep 0.5
    swapped=$(band)
    click_button 3   # and back: camera 0 is kept as Left
    sleep 0.5
    back=$(band)
    check "Left shows camera 0 ($first), after Sides camera 1 ($swapped), then camera 0 ($back)" \
        [ "$first $swapped $back" = "#FFFF00 #00FFFF #FFFF00" ]
    check_exit_key "Exit ends the program"
    check "the cameras are registered again, camera 1 now found first" regsvr "samename,reversed"
    start_program "$EXE" || { fail "main window TORVEX appeared"; e2e_finish; }
    wait_ready
    start_live
    again=$(band)
    check "after the restart Left is still camera 0 ($again)" [ "$again" = "#FFFF00" ]
    stop_and_flush >/dev/null
    check "though it was found first" grep -qa 'Camera 0: TVX Test Camera \[\\\\?\\tvx#testcam#1\]' "$LOG"
    check_exit_key "Exit ends the program"
    e2e_finish
fi

# The delay between the cameras, by both checks, and pairs by exposure time once it is used.
if [[ "$CASE" == sync* ]]; then
    # The frame number the test picture carries in row 28 of the half at x offset $2.
    frame_number() {
        timeout 30 convert "$1" -crop "640x1+$2+28" +repage -depth 8 txt:- 2>/dev/null |
            sed -n 's/^\([0-9]*\),0: (\([0-9]*\),.*/\1 \2/p' |
            awk '$1 % 20 == 10 { n = n * 2 + ($2 > 127) } END { print n + 0 }'
    }
    exposures_apart() {   # the frame numbers of pair $1's Left less its Right
        local f
        for _ in $(seq 50); do f=$(ls "$E2E_OUT"/Pair_*_"$1"_parallel.jpg 2>/dev/null) && break; sleep 0.1; done
        echo $(($(frame_number "$f" 0) - $(frame_number "$f" 640)))
    }
    click_button 18   # the Sync window
    sleep $((4 + 1))
    click_button 19   # the flashes
    sleep $((4 + 1))
    expected=$((${LATENCY#*-} - ${LATENCY%-*}))
    if [ "$CASE" = sync0-40 ]; then
        click_button 0
        before=$(exposures_apart 001)
        click_button 20   # Use delay
        sleep 0.3
        click_button 0
        after=$(exposures_apart 002)
        check "by time stamps the pair's halves were exposed $before frame(s) apart, by exposure time $after" \
            [ "$before $after" = "1 0" ]
    fi
    said=$(said_at_stop)
    for how in "Sync window" scene; do
        got=$(sed -n "s/^Sync check ($how, [0-9]* and [0-9]* frames): Right shows a moment \([0-9.]*\) ms \([a-z]*\) Left.*/\2 \1/p" <<<"$said")
        ms=${got#* }
        [ "${got% *}" = before ] && ms=-$ms
        check "the check by the $how measures Right ${ms:-nothing} ms after Left, $expected expected" \
            awk -v a="${ms:-999}" -v b="$expected" 'BEGIN { d = a - b; exit !(d <= 3 && d >= -3) }'
    done
    check_exit_key "Exit ends the program"
    if [ "$CASE" = sync30-30 ]; then   # and cameras that see nothing change
        check "the test cameras send a still picture" regsvr "latency=30/30,still"
        restart_logged
        click_button 19
        sleep $((4 + 1))
        click_button 20
        said=$(said_at_stop)
        check "a still scene gives no sync signal" grep -q '^Sync check (scene, [0-9]* and [0-9]* frames): no sync signal' <<<"$said"
        check "and Use delay applies nothing" grep -q '^No delay to use: run a sync check first' <<<"$said"
        check_exit_key "Exit ends the program"
    fi
    e2e_finish
fi

# The numbers a series takes from the input box, then a burst and an interval series.
if [ "$CASE" = series ]; then
    pairs() { ls "$E2E_OUT"/Pair_*.mpo 2>/dev/null | wc -l; }
    size_of() { timeout 30 identify -format '%wx%h' "$1" 2>/dev/null; }
    click_button 17   # Size: 640x480 -> 1280x720
    check "the Size button opens the cameras at 1280x720, the windows as wide as before" \
        wait_window '^Left\(35%\)$'
    sleep 2.2   # the figures of a pair at the new size
    title=$(xdotool getwindowname "$(wait_window '^Stereo')")
    live=$(sed -n 's/.*, vertical \([-+0-9.]*\) px.*/\1/p' <<<"$title")
    check "at 1280x720 the live figure finds camera 1 12 pixels lower ($title)" \
        awk -v v="${live:-99}" 'BEGIN { exit !(v >= 11 && v <= 13) }'
    set_input_item 1 0
    click_button 14
    set_input_item 1 0.25
    set_input_item 2 100000
    click_button 15
    set_input_item 2 10
    click_button 15
    for _ in $(seq 150); do [ "$(pairs)" -ge 10 ] && break; sleep 0.1; done
    sleep 0.5
    click_button 14
    for _ in $(seq 150); do [ "$(pairs)" -ge 20 ] && break; sleep 0.1; done
    sleep 1
    said=$(said_at_stop)
    check "an interval of 0 is refused" grep -q '^Series not started: "Interval (s)" must be a number of seconds above 0' <<<"$said"
    check "a series of 100000 is refused" grep -q '^Series not started: "Pairs in series" must be a whole number from 1 to 9999 (it holds "100000")' <<<"$said"
    check "the burst took all 10 pairs" grep -q '^Burst of 10 pairs started' <<<"$said"
    check "and so did the series at 0.25 s" [ "$(grep -c '^Series complete: 10 of 10 pairs taken' <<<"$said")" = 2 ]
    names=$(cd "$E2E_OUT" && ls Pair_*.mpo | sed -E 's/.*_([0-9]{3})\.mpo$/\1/' | sort | tr '\n' ' ')
    check "20 pairs numbered 001 to 020 in order ($names)" [ "$names" = "$(seq -f %03g -s ' ' 1 20) " ]
    check "every pair in all four files" [ "$(ls "$E2E_OUT"/Pair_* | wc -l)" = 80 ]
    bad=0
    for f in "$E2E_OUT"/Pair_*.jps; do [ "$(size_of "$f")" = 2560x720 ] || bad=$((bad + 1)); done
    for f in "$E2E_OUT"/Pair_*.jpg; do timeout 30 identify "$f" >/dev/null 2>&1 || bad=$((bad + 1)); done
    check "ImageMagick decodes every JPEG, every JPS 2560x720 ($bad failed)" [ "$bad" = 0 ]
    mpos=$(timeout 60 exiftool -s3 -NumberOfImages "$E2E_OUT"/Pair_*.mpo 2>/dev/null | grep -c '^2$')
    check "exiftool reads two images in every MPO ($mpos of 20)" [ "$mpos" = 20 ]
    check "the cameras' lines name the format taken for the size" \
        grep -q '^Camera 1: TVX Test Camera 1 .* MJPG 1280x720 30.0 fps, converted' <<<"$said"
    # Whether the live windows kept every frame meanwhile depends on the machine's load: the
    # stereoshot benchmark prints it.
    start_capture
    click_button 17   # -> 1920x1080
    wait_window '^Left\(23%\)$' >/dev/null
    click_button 0
    for _ in $(seq 100); do [ "$(pairs)" -ge 21 ] && break; sleep 0.1; done
    stem=$(ls "$E2E_OUT"/Pair_*_021.mpo | sed 's/\.mpo$//')
    stereo=$(timeout 30 ffmpeg -v info -i "$stem.jps" -vf showinfo -f null - 2>&1 | grep -o 'type - .*')
    check "at 1920x1080 FFmpeg reads the JPS as side by side ($stereo), $(size_of "$stem.jps")" \
        [ "$stereo $(size_of "$stem.jps")" = "type - side by side (inverted) 3840x1080" ]
    mpf=$(timeout 30 exiftool -s3 -NumberOfImages -MPImageLength "$stem.mpo" 2>/dev/null | tr '\n' ' ')
    check "and exiftool reads its MPO ($mpf)" grep -q '^2 ' <<<"$mpf"
    check_exit_key "Exit ends the program"
    # The size is kept with the sides; cameras that no longer offer it open at 640 x 480.
    for mode in hd ""; do
        check "the test cameras are registered in mode '$mode'" regsvr "$mode"
        restart_logged
        said=$(said_at_stop)
        if [ "$mode" = hd ]; then
            check "after a restart the cameras open at 1920x1080 again" \
                grep -q '^Camera 0: .* MJPG 1920x1080 30.0 fps' <<<"$said"
        else
            check "where the cameras lack 1920x1080, the program says so and opens them at 640x480" \
                bash -c 'grep -q "^The cameras did not open at the size kept in the settings, 1920x1080: they run at 640x480" <<<"$1" &&
                         grep -q "^Camera 0: .* 640x480" <<<"$1" && [ -n "$2" ]' _ "$said" "$(wait_window '^Left\(70%\)$')"
        fi
        check_exit_key "Exit ends the program"
    done
    e2e_finish
fi
# The live figures of a rig 12 pixels out, and what Match cameras cannot set.
if [ "$CASE" = rig ]; then
    held() { tr -d '\r' <"$CAMERA_STATE/tvx-testcam-$1.state" | awk -v p="$2" '$1 == p { print $2, $3 }'; }
    before=$(held 1 0)
    click_button 0
    click_button 16
    sleep 1
    said=$(said_at_stop)
    live=$(sed -n 's/.*, vertical \([-+0-9.]*\) px.*/\1/p' <<<"$title")
    check "the Stereo window's title gives the vertical offset live ($title)" \
        awk -v v="${live:-99}" 'BEGIN { exit !(v >= 11 && v <= 13) }'
    comment=$(timeout 30 exiftool -s3 -Comment "$(ls "$E2E_OUT"/Pair_*_001.mpo)" 2>/dev/null)
    filed=$(sed -n 's/.*right against left: vertical \([-+0-9.]*\) px.*/\1/p' <<<"$comment")
    check "the pair's comment carries it ($comment)" awk -v v="${filed:-99}" 'BEGIN { exit !(v >= 11 && v <= 13) }'
    # Cameras that started apart, matched: what each holds is read from its state file.
    check "camera 1 started with other settings (brightness $before)" [ "$before" != "$(held 0 0)" ]
    for p in 14 7 9 0 1 3 16; do
        zero=$(held 0 "$p") one=$(held 1 "$p")
        check "Match cameras: property $p the same on both ($zero), set by hand ($one)" \
            bash -c '[ "$1" = "$2" ] && [ "${2#* }" = 2 ]' _ "$zero" "$one"
    done
    check "a damaged settings file is named and passed over" \
        grep -q 'settings.ini is damaged (line 1 is not "left=" or "right=" and a device path once): sides as the cameras were found' <<<"$said"
    check_exit_key "Exit ends the program"
    e2e_finish
fi
click_button 0
[ "$CASE" = one ] && { click_button 8; sleep 0.3; }   # Focus 50%
[ "$CASE" = "$PHASE" ] && click_button 16   # Match cameras
sleep 0.8
if [ "$CASE" = lost ]; then
    click_button 14   # an interval series of 10, a pair a second, which the silence cuts short
    # Camera 1 streams from the program's start-up for 8 s (on a slow day the first pair came
    # 5.2 s after it), then its silence is reported after 2 s: 14 s after the start leaves room
    # for a slow start.
    while [ $(($(now_ms) - started)) -lt 14000 ]; do sleep 0.1; done
    click_button 0
    sleep 0.5
fi
said=$(said_at_stop)

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
    taken=$(sed -nE 's/^Series ended early: ([0-9]+) of 10 pairs taken\./\1/p' <<<"$said")
    check "the series ends early, after $taken pairs, once camera 1 is silent" [ -n "$taken" ]
    check "the first pair and the series' pairs are all kept, and no other" \
        [ "$(ls "$E2E_OUT"/Pair_* | wc -l)" = $((4 * (1 + ${taken:-99}))) ]
fi

if [ "$CASE" = "$PHASE" ]; then
    for missing in exposure "white balance" gain focus; do
        check "Match cameras names the missing $missing control" grep -q "^Camera 0 has no $missing control: $missing not matched" <<<"$said"
    done
    check "and matches the rest" grep -q '^Matched by hand on both cameras: brightness, contrast, saturation\.' <<<"$said"
fi

# The nearest pair: camera 1's frame N ms after camera 0's, or its previous frame, whichever is
# nearer.
expected=$(awk -v p="$PHASE" 'BEGIN { t = 1000 / 30; q = p - t * int(p / t); print (q < t - q) ? q : t - q }')
within() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; exit !(d <= 2 && d >= -2) }'; }
reported=$(sed -n 's/^Pair 001: skew \([0-9.]*\) ms.*/\1/p' <<<"$said")
check "the pair's skew is reported ($reported ms, expected $expected)" within "${reported:-999}" "$expected"
file=$(ls "$E2E_OUT"/Pair_*_001.mpo 2>/dev/null | head -n 1)
comment=$(timeout 30 exiftool -s3 -Comment "$file" 2>/dev/null)
read -r skew left right < <(sed -n 's/^stereoshot pair: skew \([0-9.]*\) ms (left frame at \([0-9.]*\) s, right frame at \([0-9.]*\) s);.*/\1 \2 \3/p' <<<"$comment")
check "the file carries it ($comment)" within "${skew:-999}" "$expected"
gap=$(awk -v l="${left:-0}" -v r="${right:-99}" 'BEGIN { d = (r - l) * 1000; print d < 0 ? -d : d }')
check "the frames' own times lie that far apart ($gap ms)" within "$gap" "$expected"
live=$(sed -n 's/.*skew \([0-9.]*\) ms mean.*/\1/p' <<<"$title")
check "the Stereo window's title shows it live ($title)" within "${live:-999}" "$expected"
check_exit_key "Exit ends the program"
e2e_finish
