# Installs the Debian packages the build and the tests need; does nothing when all are present.
# Sourced by scripts/test and scripts/run. Wine reaches webcams only through libv4l2 (libv4l-0,
# which Debian's Wine merely recommends; the :i386 one for the 32-bit program).

TVX_PACKAGES="cmake ninja-build g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb openbox
x11-utils xdotool xclip imagemagick fonts-ipafont-gothic procps locales nasm ffmpeg libjpeg62-turbo-dev
libimage-exiftool-perl libv4l-0"
# What runs the 32-bit programs. Installed as a step of its own: a mirror that has not finished
# its i386 lists leaves these unresolvable, and then only the 32-bit tests are left out (the
# 32-bit programs are still built).
TVX_PACKAGES_I386="wine32:i386 libv4l-0:i386"

tvx_missing_packages() {
    local p missing=""
    for p in ${1:-$TVX_PACKAGES $TVX_PACKAGES_I386}; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
    done
    echo "$missing"
}

# Wine names Unix files in the locale's character set: without ja_JP.UTF-8 present it cannot
# make or open a file whose name holds characters outside ASCII.
tvx_ensure_locale() {
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
    echo "generating the locale ja_JP.UTF-8"
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 ||
        { echo "set-up step failed: localedef -i ja_JP -f UTF-8 ja_JP.UTF-8" >&2; return 1; }
}

tvx_install_deps() {
    local missing
    missing=$(tvx_missing_packages)
    [ -z "$missing" ] && { tvx_ensure_locale; return; }
    echo "installing:$missing"
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages and not root: install them with apt-get:$missing" >&2
        return 1
    fi
    # wine32 comes from the i386 architecture; it installs everywhere, even where it cannot run.
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ||
        { echo "set-up step failed: dpkg --add-architecture i386" >&2; return 1; }
    export DEBIAN_FRONTEND=noninteractive
    local log
    log=$(mktemp)
    # A mirror in the middle of a sync fails one index file ("File has unexpected size"): try
    # again, and after the third failure go on with the lists that did arrive - the install
    # step says plainly if they are not enough.
    local tries=1
    until apt-get update -q >"$log" 2>&1; do
        if [ "$tries" -ge 3 ]; then
            echo "apt-get update failed $tries times; installing from the package lists it got:" >&2
            tail -n 6 "$log" | sed 's/^/  | /' >&2
            break
        fi
        tries=$((tries + 1))
        sleep 5
    done
    missing=$(tvx_missing_packages "$TVX_PACKAGES")
    # shellcheck disable=SC2086
    if [ -n "$missing" ] && ! apt-get install -y -q --no-install-recommends $missing >"$log" 2>&1; then
        echo "set-up step failed: apt-get install$missing" >&2
        tail -n 20 "$log" | sed 's/^/  | /' >&2
        rm -f "$log"
        return 1
    fi
    missing=$(tvx_missing_packages "$TVX_PACKAGES_I386")
    # shellcheck disable=SC2086
    if [ -n "$missing" ] && ! apt-get install -y -q --no-install-recommends $missing >"$log" 2>&1; then
        echo "the 32-bit Wine packages could not be installed ($missing): 32-bit programs are" \
            "built but not run here" >&2
        tail -n 4 "$log" | sed 's/^/  | /' >&2
    fi
    rm -f "$log"
    missing=$(tvx_missing_packages "$TVX_PACKAGES")
    [ -z "$missing" ] || { echo "set-up step failed: still missing after apt-get install:$missing" >&2; return 1; }
    tvx_ensure_locale
}
