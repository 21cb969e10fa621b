# Installs the Debian packages the build and the tests need; does nothing when all are present.
# Sourced by scripts/test and scripts/run.

TVX_PACKAGES="cmake ninja-build g++ googletest g++-mingw-w64-i686 wine wine32:i386 xvfb openbox
x11-utils xdotool xclip imagemagick fonts-ipafont-gothic procps"

tvx_missing_packages() {
    local p missing=""
    for p in $TVX_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
    done
    echo "$missing"
}

tvx_install_deps() {
    local missing
    missing=$(tvx_missing_packages)
    [ -z "$missing" ] && return 0
    echo "installing:$missing"
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages and not root: install them with apt-get:$missing" >&2
        return 1
    fi
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null || return 1
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing >/dev/null || return 1
    missing=$(tvx_missing_packages)
    [ -z "$missing" ] || { echo "still missing after install:$missing" >&2; return 1; }
}
