# The private Wine and X environment of the tests and of scripts/run.
# Sourced; every process started here is recorded and ended by tvx_env_stop.

TVX_ROOT=${TVX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export TVX_BUILD=${TVX_BUILD:-$TVX_ROOT/build}

export WINEPREFIX="$TVX_BUILD/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# ANSI code page 932: the program's narrow strings are Shift-JIS.
{ export LC_ALL=ja_JP.UTF-8; } 2>/dev/null

TVX_PIDS=""          # started here, ended in reverse order by tvx_env_stop
TVX_OWN_DISPLAY=0

tvx_note_pid() { TVX_PIDS="$1 $TVX_PIDS"; }

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

# Starts this prefix's wineserver (making the prefix on first use) and keeps Wine's
# helper processes alive from a process whose stdio is /dev/null, so that no test's
# output pipe is held open by them.
tvx_start_wine() {
    local keepalive="$1" first=0
    mkdir -p "$WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || first=1
    $(tvx_plain_root) wineserver -f -p </dev/null >/dev/null 2>&1 &
    tvx_note_pid $!
    # A client started before the server listens would start a second one of its own.
    local dev ino name i s
    read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
    name=$(printf 'server-%x-%x' "$dev" "$ino")
    for i in $(seq 100); do
        for s in /tmp/.wine-"$(id -u)"/"$name"/socket /tmp/wine-*/"$name"/socket; do
            [ -S "$s" ] && break 2
        done
        sleep 0.05
    done
    if [ $first = 1 ]; then
        echo "making the Wine prefix $WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
    fi
    if [ -n "$keepalive" ] && [ -f "$keepalive" ]; then
        wine "$keepalive" </dev/null >/dev/null 2>&1 &
        tvx_note_pid $!
    fi
    wine wineboot </dev/null >/dev/null 2>&1
}

# Registers the virtual test cameras (testcam.dll) in this prefix; idempotent.
tvx_register_testcam() {
    local dll="$1"
    [ -f "$dll" ] || { echo "no test camera DLL at $dll" >&2; return 1; }
    wine regsvr32 /s "$dll" </dev/null >/dev/null 2>&1
}

tvx_unregister_testcam() {
    wine regsvr32 /s /u "$1" </dev/null >/dev/null 2>&1
}

tvx_env_stop() {
    local p i
    if [ -n "$TVX_PIDS" ]; then
        wineserver -k </dev/null >/dev/null 2>&1 || true
    fi
    for p in $TVX_PIDS; do
        kill "$p" 2>/dev/null || true
        for i in $(seq 40); do
            kill -0 "$p" 2>/dev/null || break
            case "$(ps -o stat= -p "$p" 2>/dev/null)" in Z*|"") break ;; esac
            sleep 0.05
        done
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    TVX_PIDS=""
}
