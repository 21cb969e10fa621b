# The private Wine and X environment of the tests and of scripts/run.
# Sourced; every process started here is recorded and ended by tvx_env_stop.
#
# Two Windows widths are built: 32 (i686, tree build/win) and 64 (x86-64, tree build/win64).
# Each runs under its own Wine loader, called directly, in its own prefix. Some machines execute
# no 32-bit code at all, so which widths can run is found out by running each loader once.
# TVX_FORCE_WIDTH=32 or 64 limits the runs to that width.

TVX_ROOT=${TVX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export TVX_BUILD=${TVX_BUILD:-$TVX_ROOT/build}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# ANSI code page 932: the program's narrow strings are Shift-JIS.
{ export LC_ALL=ja_JP.UTF-8; } 2>/dev/null

tvx_loader() { case "$1" in 32) echo /usr/lib/wine/wine ;; 64) echo /usr/lib/wine/wine64 ;; esac; }
tvx_width_name() { case "$1" in 32) echo "32-bit (i686)" ;; 64) echo "64-bit (x86-64)" ;; esac; }

# Says why Windows programs of width $1 cannot run here; returns 0 (and says nothing) when
# they can. The loader is run once: a kernel without 32-bit support refuses it outright.
tvx_width_problem() {
    local loader out
    loader=$(tvx_loader "$1")
    [ -n "$loader" ] || { echo "unknown width '$1' (32 or 64)"; return 1; }
    [ -x "$loader" ] || { echo "$loader is not installed"; return 1; }
    out=$(LC_ALL=C bash -c '"$0" --version' "$loader" 2>&1) && return 0
    # bash names its own script and line before the system's words; keep the words.
    echo "$loader --version failed: $(echo "$out" | tail -n 1 | sed -E 's/^.*line [0-9]+: //')"
    return 1
}

# Prints the widths to run, one line "W" each; reports every width on stderr. With
# TVX_FORCE_WIDTH only that width is considered; returns 1 when none can run.
tvx_runnable_widths() {
    local w why any=1 widths="32 64"
    [ -n "${TVX_FORCE_WIDTH:-}" ] && widths="$TVX_FORCE_WIDTH"
    for w in $widths; do
        if why=$(tvx_width_problem "$w"); then
            echo "Windows $(tvx_width_name "$w"): runs here" >&2
            echo "$w"
            any=0
        else
            echo "Windows $(tvx_width_name "$w"): cannot run here: $why" >&2
        fi
    done
    [ -n "${TVX_FORCE_WIDTH:-}" ] && echo "(TVX_FORCE_WIDTH=$TVX_FORCE_WIDTH)" >&2
    return $any
}

# Chooses the width the following calls work with: its tree, loader and prefix.
tvx_use_width() {
    export TVX_WIDTH="$1"
    export TVX_WINE
    TVX_WINE=$(tvx_loader "$1")
    if [ "$1" = 64 ]; then
        export TVX_TREE="$TVX_BUILD/win64" WINEARCH=win64 WINEPREFIX="$TVX_BUILD/wineprefix64"
    else
        export TVX_TREE="$TVX_BUILD/win" WINEARCH=win32 WINEPREFIX="$TVX_BUILD/wineprefix32"
    fi
}

TVX_PIDS=""          # the display, ended in reverse order by tvx_env_stop
TVX_WINE_PIDS=""     # this width's Wine processes, ended by tvx_stop_wine
TVX_OWN_DISPLAY=0

tvx_note_pid() { TVX_PIDS="$1 $TVX_PIDS"; }
tvx_note_wine_pid() { TVX_WINE_PIDS="$1 $TVX_WINE_PIDS"; }

# Ends the given processes, politely first.
tvx_end_pids() {
    local p i
    for p in "$@"; do
        kill "$p" 2>/dev/null || true
        for i in $(seq 40); do
            kill -0 "$p" 2>/dev/null || break
            case "$(ps -o stat= -p "$p" 2>/dev/null)" in Z*|"") break ;; esac
            sleep 0.05
        done
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
}

# Starts a private Xvfb at 1280x1024x24 with openbox on it and exports DISPLAY.
tvx_start_display() {
    local n=91 i
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset </dev/null >/dev/null 2>&1 &
    tvx_note_pid $!
    for i in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    export DISPLAY=":$n"
    TVX_OWN_DISPLAY=1
    # Without a window manager Wine draws no title bars and keyboard focus cannot be moved.
    openbox --sm-disable </dev/null >/dev/null 2>&1 &
    tvx_note_pid $!
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
}

# Run as root (CI, containers), Wine would write into read-only folders, which no user of the
# program can: the wineserver, which opens every file for its programs, runs without root's
# override of file permissions where the system allows dropping it.
tvx_plain_root() {
    [ "$(id -u)" = 0 ] || return 0
    local drop="setpriv --bounding-set=-dac_override,-dac_read_search"
    $drop true 2>/dev/null && echo "$drop"
    return 0
}

# Runs a Wine step of the set-up with its output kept; on failure says which step, the command
# and what it printed, and returns 1. The output goes to a file, not a pipe: Wine's services,
# started by the step, inherit it and would hold a pipe open for their whole life.
tvx_wine_step() {
    local what="$1" out rc
    shift
    out="$TVX_BUILD/wine-step.log"
    "$@" </dev/null >"$out" 2>&1
    rc=$?
    [ $rc = 0 ] && return 0
    echo "set-up step failed: $what" >&2
    echo "  command: $* (WINEPREFIX=$WINEPREFIX, exit code $rc)" >&2
    tail -n 20 "$out" | sed 's/^/  | /' >&2
    return 1
}

# Starts the wineserver of this width's prefix (making the prefix on first use) and keeps Wine's
# helper processes alive from a process whose stdio is /dev/null, so that no test's output pipe
# is held open by them. Call tvx_use_width first.
tvx_start_wine() {
    local keepalive="$1" first=0
    [ -n "${TVX_WINE:-}" ] || { echo "set-up step failed: no Windows width chosen" >&2; return 1; }
    mkdir -p "$WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || first=1
    $(tvx_plain_root) wineserver -f -p </dev/null >/dev/null 2>&1 &
    tvx_note_wine_pid $!
    # A client started before the server listens would start a second one of its own.
    local dev ino name i s up=0
    read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
    name=$(printf 'server-%x-%x' "$dev" "$ino")
    for i in $(seq 100); do
        for s in /tmp/.wine-"$(id -u)"/"$name"/socket /tmp/wine-*/"$name"/socket; do
            [ -S "$s" ] && { up=1; break 2; }
        done
        sleep 0.05
    done
    [ $up = 1 ] || { echo "set-up step failed: the wineserver for $WINEPREFIX did not start listening within 5 s" >&2; return 1; }
    if [ $first = 1 ]; then
        echo "making the Wine prefix $WINEPREFIX ($(tvx_width_name "$TVX_WIDTH"))"
        tvx_wine_step "making the Wine prefix" "$TVX_WINE" wineboot -i || { rm -f "$WINEPREFIX/system.reg"; return 1; }
    fi
    if [ -n "$keepalive" ] && [ -f "$keepalive" ]; then
        "$TVX_WINE" "$keepalive" </dev/null >/dev/null 2>&1 &
        tvx_note_wine_pid $!
    fi
    tvx_wine_step "starting Wine's services" "$TVX_WINE" wineboot
}

# Registers the virtual test cameras (testcam.dll of this width) in this prefix, plain or in the
# mode given (testcam/register lists the words); idempotent.
tvx_register_testcam() {
    local dll="$1" mode="${2:-}"
    [ -f "$dll" ] || { echo "set-up step failed: registering the test cameras: no test camera DLL at $dll" >&2; return 1; }
    TVX_TESTCAM_MODE="$mode" tvx_wine_step "registering the test cameras${mode:+ (mode $mode)}" \
        "$TVX_WINE" regsvr32 /s "$dll"
}

tvx_unregister_testcam() {
    tvx_wine_step "unregistering the test cameras" "$TVX_WINE" regsvr32 /s /u "$1"
}

# Ends this width's Wine: its wineserver (and with it every program of the prefix) and the
# processes started for it.
tvx_stop_wine() {
    if [ -n "$TVX_WINE_PIDS" ]; then
        wineserver -k </dev/null >/dev/null 2>&1 || true
        # shellcheck disable=SC2086
        tvx_end_pids $TVX_WINE_PIDS
    fi
    TVX_WINE_PIDS=""
}

tvx_env_stop() {
    tvx_stop_wine
    # shellcheck disable=SC2086
    tvx_end_pids $TVX_PIDS
    TVX_PIDS=""
}
