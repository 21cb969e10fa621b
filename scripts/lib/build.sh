# Configures (once) and builds the native and the 32-bit Windows trees. Sourced.

tvx_build() {
    local root="$1"
    if [ ! -f "$root/build/native/build.ninja" ]; then
        cmake -S "$root" -B "$root/build/native" -G Ninja >/dev/null || return 1
    fi
    if [ ! -f "$root/build/win/build.ninja" ]; then
        cmake -S "$root" -B "$root/build/win" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null || return 1
    fi
    cmake --build "$root/build/native" -j 2 || return 1
    cmake --build "$root/build/win" -j 2 || return 1
}
