#!/usr/bin/env bash
# Builds the whole project with ASan and UBSan in build-asan/ and runs every test there.
set -euo pipefail
cd "$(dirname "$0")/.."

export ZARNITH_BUILD_DIR=build-asan
export ZARNITH_CMAKE_ARGS="-DZARNITH_SANITIZE=address,undefined"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
bash scripts/test.sh
