#!/usr/bin/env bash
# Builds a static Qt 6 for 64-bit Windows from Debian's own qt6-base source package with
# MinGW-w64, once per machine, into a cache folder outside the work tree named after the source
# version built (the installed one, or the newest of its upstream release that can be fetched).
# Prints that folder's path as its last line; a later run finds it there and builds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The host's Qt gives the tools (moc, rcc, uic) a cross build of Qt runs, so both are one version.
bash scripts/deps.sh dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev-tools >&2
source scripts/debian-source.sh
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zarnith
suffix=-mingw-w64-x86_64-static
prefix=$(debian_source_built "$cache/qt-" "$qt_version" "$suffix")
if [ -n "$prefix" ]; then
    echo "$prefix"
    exit 0
fi
# One build at a time: a second caller waits for the first, then finds its result.
mkdir -p "$cache"
exec 9>"$cache/qt-build.lock"
if ! flock -n 9; then
    echo "Waiting for another build of Qt for Windows to finish" >&2
    flock 9
fi
prefix=$(debian_source_built "$cache/qt-" "$qt_version" "$suffix")
if [ -n "$prefix" ]; then
    echo "$prefix"
    exit 0
fi

start=$SECONDS

work=$cache/qt-build
rm -rf "$work"
debian_source qt6-base "$qt_version" "$work"
prefix=$cache/qt-${debian_source_version#*:}$suffix

# Widgets with the Windows, offscreen and minimal platforms and Qt Test; no modules the editor does
# not use. OpenGL stays on: the Windows platform plugin of this version does not compile without it.
cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF >&2
cmake --build "$work/build" --parallel "$(nproc)" >&2
# What an interrupted install left is no base to install over.
rm -rf "$prefix"
cmake --install "$work/build" >&2
touch "$prefix/.complete"
rm -rf "$work"
echo "Qt $debian_source_version for Windows built in $((SECONDS - start)) s" >&2
echo "$prefix"
