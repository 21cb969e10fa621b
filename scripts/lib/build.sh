# Configures (once) and builds the native tree and both Windows trees: build/win (i686, the
# program for 32-bit Windows) and build/win64 (x86-64). The programs of both widths are built on
# every machine, so that neither rots; the tests and benchmarks of a width only where its
# programs can run (a kernel without 32-bit support refuses them). Sourced.

# Runs one build step; on failure names it, shows the end of its output, and returns 1.
tvx_build_step() {
    local what="$1" log="$2" rc
    shift 2
    "$@" >"$log" 2>&1
    rc=$?
    [ $rc = 0 ] && return 0
    echo "build step failed: $what (exit code $rc)" >&2
    echo "  command: $*" >&2
    grep -E 'error|Error|FAILED' "$log" | head -n 20 | sed 's/^/  | /' >&2
    echo "  whole output: $log" >&2
    return 1
}

source "$(dirname "${BASH_SOURCE[0]}")/libjpeg.sh"

tvx_build() {
    local root="$1" tree toolchain arch jpeg
    mkdir -p "$root/build"
    if [ ! -f "$root/build/native/build.ninja" ]; then
        tvx_build_step "configuring build/native" "$root/build/configure-native.log" \
            cmake -S "$root" -B "$root/build/native" -G Ninja || return 1
    fi
    for tree in win:i686 win64:x86_64; do
        arch=${tree#*:}
        toolchain="$root/cmake/mingw-$arch.cmake"
        tree=${tree%%:*}
        tvx_jpeg_build "$root" "$arch" || return 1
        jpeg=$(tvx_jpeg_root "$root" "$arch")
        if [ ! -f "$root/build/$tree/build.ninja" ] ||
           ! grep -q "^TVX_JPEG_ROOT:.*=$jpeg\$" "$root/build/$tree/CMakeCache.txt"; then
            tvx_build_step "configuring build/$tree" "$root/build/configure-$tree.log" \
                cmake -S "$root" -B "$root/build/$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
                -DTVX_JPEG_ROOT="$jpeg" || return 1
        fi
    done
    local targets loader
    for tree in native win win64; do
        targets=()
        loader=""
        [ "$tree" = win ] && loader=/usr/lib/wine/wine
        [ "$tree" = win64 ] && loader=/usr/lib/wine/wine64
        if [ -n "$loader" ] && ! LC_ALL=C "$loader" --version >/dev/null 2>&1; then
            targets=(--target stereocap stereoshot testcam)
            echo "[$SECONDS s] building build/$tree (the programs only: they cannot run here)"
        else
            echo "[$SECONDS s] building build/$tree"
        fi
        tvx_build_step "building build/$tree" "$root/build/build-$tree.log" \
            cmake --build "$root/build/$tree" -j 2 "${targets[@]}" || return 1
        grep -E 'warning:' "$root/build/build-$tree.log" | sort -u | sed "s|^|build/$tree: |"
    done
    return 0
}
