#!/usr/bin/env bash
# Takes docs/screenshot.png: the real window, under a virtual X server, with a synthetic image open.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh xvfb xauth
bash scripts/build.sh zarnith_screenshot
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" env QT_QPA_PLATFORM=xcb \
    "${ZARNITH_BUILD_DIR:-build}/tools/zarnith_screenshot" docs/screenshot.png
echo "wrote docs/screenshot.png"
