#!/usr/bin/env bash
# Takes docs/image-information.png: Help > Image Information of the real window, opened with its
# key, under a virtual X server with a window manager (openbox), for a synthetic image.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh xvfb xauth openbox xdotool imagemagick
bash scripts/build.sh zarnith zarnith_synthetic_rom >/dev/null
build=${ZARNITH_BUILD_DIR:-build}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/Hacks"
"$build/tools/zarnith_synthetic_rom" "$scratch/Hacks/example.gba"

# The run's settings (its recent files) stay in the scratch folder.
export XDG_CONFIG_HOME="$scratch/config"
export ZARNITH_PROGRAM="$PWD/$build/ui/zarnith"
# Opened by a path relative to the scratch folder, so the picture shows no path of this machine.
export ZARNITH_SCRATCH="$scratch"
export ZARNITH_PICTURE="$PWD/docs/image-information.png"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
    set -euo pipefail
    openbox >/dev/null 2>&1 &
    cd "$ZARNITH_SCRATCH"
    QT_QPA_PLATFORM=xcb "$ZARNITH_PROGRAM" Hacks/example.gba &
    program=$!
    window=$(timeout 60 xdotool search --sync --name "example.gba.*Zarnith" | head -n 1)
    sleep 1
    xdotool windowactivate --sync "$window" key ctrl+i
    box=$(timeout 60 xdotool search --sync --name "^Image Information$" | head -n 1)
    xdotool mousemove 0 0
    sleep 1
    import -window "$box" -frame "$ZARNITH_PICTURE"
    kill "$program"
'
echo "wrote docs/image-information.png"
