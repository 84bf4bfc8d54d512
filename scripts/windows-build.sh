#!/usr/bin/env bash
# Cross-builds for 64-bit Windows into build-windows/ with MinGW-w64, against the static Qt that
# scripts/windows-qt.sh makes once per machine (it runs first and builds that Qt when it is
# missing). The arguments name targets to build (all by default). Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest icoutils
qt=$(bash scripts/windows-qt.sh | tail -n 1)

build_dir=build-windows
toolchain=$qt/lib/cmake/Qt6/qt.toolchain.cmake
# A folder configured with another toolchain (or none) cannot be switched over: start it anew.
if [ -f "$build_dir/CMakeCache.txt" ] && ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$build_dir/CMakeCache.txt"; then
    rm -rf "$build_dir"
fi
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
# Qt's toolchain file finds that Qt and chains to the project's MinGW-w64 one.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DZARNITH_GTEST_SOURCE=/usr/src/googletest -DZARNITH_WERROR="$werror" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
