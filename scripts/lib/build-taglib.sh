#!/usr/bin/env bash
# Builds TagLib for the Windows build: Debian has no Windows build of it, so
# its source package, the version of the native libtag1-dev, is fetched with
# apt-get source and cross-built with the project's mingw-w64 toolchain as a
# static library, zlib from the Windows build's zlib. The result, in
# build/taglib-windows, is kept while the version stays the same.
#
#   scripts/lib/build-taglib.sh      (run by scripts/setup, from the root)
set -euo pipefail
root=$PWD
install_dir=$root/build/taglib-windows
version=$(dpkg-query -W -f='${Version}' libtag1-dev)

if [ "$(cat "$install_dir/version" 2>/dev/null)" = "$version" ]; then
    exit 0
fi
echo "setup: building TagLib $version for Windows (once, about a minute)"
work=$root/build/taglib-source
rm -rf "$work" "$install_dir"
mkdir -p "$work"
# apt-get's download user cannot write into this folder; it downloads as the
# caller and says so.
(cd "$work" && apt-get source -qq "taglib=$version" >/dev/null 2>&1) || {
    echo "setup: apt-get source taglib=$version failed" >&2
    exit 1
}
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'taglib-*')
# Debian's source takes its UTF-8 routines from libutfcpp-dev, whose headers
# are the same for every target.
cmake -S "$source_dir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_BINDINGS=OFF \
    -DBUILD_TESTING=OFF -DBUILD_EXAMPLES=OFF -DWITH_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON \
    -DCMAKE_CXX_FLAGS="-I/usr/include/utf8cpp" -DCMAKE_INSTALL_PREFIX="$install_dir" \
    > "$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j"$(nproc)" > "$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" > /dev/null
echo "$version" > "$install_dir/version"
rm -rf "$work"
