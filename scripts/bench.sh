#!/usr/bin/env bash
# Benchmarks the core open path and save against raw reads of the same 16 MiB image, and a BPS
# patch between two 32 MiB images against reading both once. Then each synthetic hack pair
# (tools/HackPairs.cpp): the size of the program's patch (zarnith --patch) beside the best-known BPS
# creator's delta patch of the same pair (figures measured once, kept below) and their ratio, the old linear
# writer's and the count of bytes that differ, and the patch's time (the best of three runs) and
# peak memory beside reading both files whole with their CRC32s.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh libbenchmark-dev time
bash scripts/build.sh zarnith_bench zarnith_patch_bench zarnith zarnith_hack_pairs zarnith_patch_pairs
build=${ZARNITH_BUILD_DIR:-build}
"$build/bench/zarnith_bench" --benchmark_min_time=1 "$@"
"$build/bench/zarnith_patch_bench" --benchmark_min_time=1 "$@"

pairs=$(mktemp -d)
trap 'rm -rf "$pairs"' EXIT
"$build/tools/zarnith_hack_pairs" "$pairs" >"$pairs/names"
# best_of_three COMMAND...: "SECONDS CPU_SECONDS KIB", the least elapsed time, the least processor
# time (user and system; what a busy machine changes least) and the largest peak memory.
best_of_three() {
    for _ in 1 2 3; do
        /usr/bin/time -f '%e %U %S %M' -o "$pairs/time" "$@" >/dev/null 2>&1 || echo "bench: failed: $*" >&2
        cat "$pairs/time"
    done | awk 'NR == 1 || $1 < t { t = $1 } NR == 1 || $2 + $3 < c { c = $2 + $3 } $4 > m { m = $4 } END { print t, c, m }'
}
# That creator's delta patches of the pairs, in bytes; 4,555,458 in all.
declare -A creator=([revisions]=684423 [sister-games]=745677 [other-language]=1507094 [inserted-64KiB]=363491
    [inserted-32MiB]=466293 [scattered-edits]=1510 [names-moved]=236 [table-moved]=69 [grown-32MiB]=786665)
total=0
total_creator=0
echo
echo "Hack pair            patch B  creator B  ratio   linear B differing B  time s (cpu)   read s (cpu)  peak MiB  read MiB"
while read -r name; do
    source=$pairs/$name.unmodified.gba
    target=$pairs/$name.gba
    read -r made made_cpu made_kib < <(best_of_three "$build/ui/zarnith" --patch "$source" "$target" "$pairs/$name.bps")
    read -r read read_cpu read_kib < <(best_of_three "$build/bench/zarnith_patch_pairs" --read "$source" "$target")
    read -r size linear differing < <("$build/bench/zarnith_patch_pairs" "$source" "$target" "$pairs/$name.bps")
    figure=${creator[$name]:-0}
    total=$((total + size))
    total_creator=$((total_creator + figure))
    printf 'Patch %-15s %9d %10d %6s %10d %11d %6.2f (%4.2f) %6.2f (%4.2f) %9d %9d\n' "$name" "$size" "$figure" \
        "$(awk -v a="$size" -v b="$figure" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }')" "$linear" \
        "$differing" "$made" "$made_cpu" "$read" "$read_cpu" $((made_kib / 1024)) $((read_kib / 1024))
done <"$pairs/names"
printf 'All the pairs         %9d %10d %6s\n' "$total" "$total_creator" \
    "$(awk -v a="$total" -v b="$total_creator" 'BEGIN { printf "%.3f", a / b }')"
