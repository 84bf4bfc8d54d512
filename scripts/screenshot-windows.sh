#!/usr/bin/env bash
# Takes docs/screenshot-windows.png: zarnith.exe, cross-built (scripts/windows-build.sh), running
# under Wine with a window manager (openbox) on a virtual X server, with a synthetic image named
# on its command line open.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh xvfb xauth openbox xdotool imagemagick wine64 fonts-wine
bash scripts/build.sh zarnith_synthetic_rom >/dev/null
bash scripts/windows-build.sh zarnith >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"${ZARNITH_BUILD_DIR:-build}/tools/zarnith_synthetic_rom" "$scratch/synthetic.gba"

source scripts/wine-env.sh
export ZARNITH_EXE="$PWD/build-windows/ui/zarnith.exe"
export ZARNITH_ROM="$scratch/synthetic.gba"
export ZARNITH_PICTURE="$PWD/docs/screenshot-windows.png"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash -c '
    set -euo pipefail
    # Tahoma, the window font, is a Windows font that Wine does not find here; a look-alike.
    "$wine" reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v Tahoma /d "DejaVu Sans" /f >/dev/null 2>&1
    openbox >/dev/null 2>&1 &
    # Wine maps the root folder to drive Z:.
    "$wine" "$ZARNITH_EXE" "Z:${ZARNITH_ROM//\//\\}" &
    window=$(timeout 120 xdotool search --sync --name "synthetic.*Zarnith" | head -n 1)
    xdotool mousemove 0 0
    sleep 2
    import -window "$window" -frame "$ZARNITH_PICTURE"
    "$wineserver" -k
'
echo "wrote docs/screenshot-windows.png"
