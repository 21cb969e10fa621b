# libjpeg-turbo, the JPEG encoder of the Windows programs. Debian has no MinGW build of it, so
# its source is fetched by package name from the source archive of this machine's own mirror and
# built once per width into build/libjpeg-turbo/<arch>, then reused. apt's own configuration,
# lists and cache are left as they are: a private copy of the machine's sources (as deb-src)
# serves the download. Sourced by build.sh.

# The one place the source is pinned.
TVX_JPEG_PACKAGE=libjpeg-turbo
TVX_JPEG_VERSION=2.1.5
TVX_JPEG_SHA256=254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c

# Prints the install folder of the given arch (i686 or x86_64).
tvx_jpeg_root() { echo "$1/build/libjpeg-turbo/$2"; }

# Downloads and checks the pinned source tarball into build/libjpeg-turbo/src.
tvx_jpeg_fetch() {
    local root="$1" dir="$1/build/libjpeg-turbo" apt f
    local tarball="$dir/src/${TVX_JPEG_PACKAGE}_${TVX_JPEG_VERSION}.orig.tar.gz"
    if [ -f "$tarball" ] && echo "$TVX_JPEG_SHA256  $tarball" | sha256sum -c --status; then
        return 0
    fi
    mkdir -p "$dir/apt/parts" "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/src"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sed 's/^Types:.*$/Types: deb-src/' "$f" >"$dir/apt/parts/$(basename "$f")"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$dir/apt/parts/sources.list"
    fi
    apt="apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$dir/apt/parts
         -o Dir::State::Lists=$dir/apt/lists -o Dir::Cache=$dir/apt/cache"
    echo "fetching the source of $TVX_JPEG_PACKAGE $TVX_JPEG_VERSION from Debian's source archive"
    # shellcheck disable=SC2086
    $apt update >"$dir/fetch.log" 2>&1 &&
        (cd "$dir/src" && $apt source --download-only "$TVX_JPEG_PACKAGE=$TVX_JPEG_VERSION-*" >>"$dir/fetch.log" 2>&1 ||
         $apt source --download-only "$TVX_JPEG_PACKAGE" >>"$dir/fetch.log" 2>&1)
    if [ ! -f "$tarball" ]; then
        echo "set-up step failed: fetching the $TVX_JPEG_PACKAGE source (see $dir/fetch.log)" >&2
        tail -n 10 "$dir/fetch.log" | sed 's/^/  | /' >&2
        return 1
    fi
    echo "$TVX_JPEG_SHA256  $tarball" | sha256sum -c --status || {
        echo "set-up step failed: $tarball does not have the pinned checksum $TVX_JPEG_SHA256" >&2
        return 1
    }
}

# Builds the static library for one arch with its SIMD code, once.
tvx_jpeg_build() {
    local root="$1" arch="$2" dir="$1/build/libjpeg-turbo" prefix
    prefix=$(tvx_jpeg_root "$root" "$arch")
    [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/.version-$TVX_JPEG_VERSION" ] && return 0
    tvx_jpeg_fetch "$root" || return 1
    rm -rf "$dir/source" "$dir/build-$arch" "$prefix"
    mkdir -p "$dir/source"
    tar -xzf "$dir/src/${TVX_JPEG_PACKAGE}_${TVX_JPEG_VERSION}.orig.tar.gz" -C "$dir/source" --strip-components=1 ||
        { echo "set-up step failed: unpacking the $TVX_JPEG_PACKAGE source" >&2; return 1; }
    echo "[$SECONDS s] building $TVX_JPEG_PACKAGE $TVX_JPEG_VERSION for $arch"
    tvx_build_step "configuring $TVX_JPEG_PACKAGE for $arch" "$dir/configure-$arch.log" \
        cmake -S "$dir/source" -B "$dir/build-$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
        -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON || return 1
    tvx_build_step "building $TVX_JPEG_PACKAGE for $arch" "$dir/build-$arch.log" \
        cmake --build "$dir/build-$arch" -j 2 || return 1
    tvx_build_step "installing $TVX_JPEG_PACKAGE for $arch" "$dir/install-$arch.log" \
        cmake --install "$dir/build-$arch" || return 1
    touch "$prefix/.version-$TVX_JPEG_VERSION"
}
