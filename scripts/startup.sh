#!/usr/bin/env bash
# Start-up time to the first shown window and peak resident size, of Zarnith's window beside a
# bare Qt QMainWindow, all offscreen: scripts/startup.sh [RUNS]. Prints medians and ratios, and
# the same for a bare window with one menu, to tell the cost of drawing any text at all.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
build_dir=${ZARNITH_BUILD_DIR:-build}
bash scripts/deps.sh
bash scripts/build.sh zarnith_startprobe minimal_startprobe text_startprobe >/dev/null

measure() { # program -> "median_us median_rss_kib"
    local program=$1 times=() sizes=()
    for _ in $(seq "$runs"); do
        local start shown rss
        start=$(date +%s%N)
        read -r shown rss < <(QT_QPA_PLATFORM=offscreen "$program" 2>/dev/null)
        times+=($(((shown - start) / 1000)))
        sizes+=("$rss")
    done
    local middle=$((runs / 2))
    local time_us size
    time_us=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((middle + 1))p")
    size=$(printf '%s\n' "${sizes[@]}" | sort -n | sed -n "$((middle + 1))p")
    echo "$time_us $size"
}

read -r zt zr < <(measure "$build_dir/tools/zarnith_startprobe")
read -r mt mr < <(measure "$build_dir/tools/minimal_startprobe")
read -r tt tr < <(measure "$build_dir/tools/text_startprobe")
printf 'zarnith:          start %6d us, peak RSS %6d KiB\n' "$zt" "$zr"
printf 'bare window:      start %6d us, peak RSS %6d KiB\n' "$mt" "$mr"
printf 'window with menu: start %6d us, peak RSS %6d KiB\n' "$tt" "$tr"
ratios() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN { printf "start %.3f, RSS %.3f\n", a / b, c / d }'; }
echo "zarnith / bare window:      $(ratios "$zt" "$mt" "$zr" "$mr") (medians of $runs runs)"
echo "zarnith / window with menu: $(ratios "$zt" "$tt" "$zr" "$tr")"
