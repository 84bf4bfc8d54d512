#!/usr/bin/env bash
# Benchmarks the core open path and save against raw reads of the same 16 MiB image, and a BPS
# patch between two 32 MiB images against reading both once.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh libbenchmark-dev
bash scripts/build.sh zarnith_bench zarnith_patch_bench
"${ZARNITH_BUILD_DIR:-build}/bench/zarnith_bench" --benchmark_min_time=1 "$@"
"${ZARNITH_BUILD_DIR:-build}/bench/zarnith_patch_bench" --benchmark_min_time=1 "$@"
