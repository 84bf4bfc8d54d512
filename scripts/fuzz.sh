#!/usr/bin/env bash
# Fuzzes the load path under ASan and UBSan: scripts/fuzz.sh [SECONDS] [libFuzzer options...]
# The corpus grows in build-fuzz/corpus; seeds come from the synthetic-image builder. Before it,
# the BPS writer for a quarter of that time (at least ten seconds), its corpus in patch-corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
bash scripts/deps.sh clang-14 libclang-rt-14-dev

build_dir=build-fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DBUILD_TESTING=OFF -DZARNITH_BUILD_UI=OFF -DZARNITH_FUZZ=ON \
    -DZARNITH_SANITIZE=address,undefined -DZARNITH_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

# From inside the build folder, so that the logs of -jobs runs (fuzz-N.log) stay there too.
cd "$build_dir"
mkdir -p seeds corpus findings patch-corpus
fuzz/zarnith_fuzz_patch -max_total_time="$(((seconds / 4) > 10 ? seconds / 4 : 10))" -max_len=8192 \
    -print_final_stats=1 -artifact_prefix=findings/patch- patch-corpus
fuzz/zarnith_fuzz_seeds seeds
fuzz/zarnith_fuzz_load -max_total_time="$seconds" -max_len=40000 -print_final_stats=1 \
    -artifact_prefix=findings/ "$@" corpus seeds
