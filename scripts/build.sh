#!/usr/bin/env bash
# Configures and builds into build/ (or $ZARNITH_BUILD_DIR); the arguments name targets to build
# (all by default). Under CI warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${ZARNITH_BUILD_DIR:-build}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNITH_WERROR="$werror" ${ZARNITH_CMAKE_ARGS:-}
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
