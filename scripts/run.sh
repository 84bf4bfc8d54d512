#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zarnith; its arguments go to the program (a file
# to open, or the command line's options).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/build.sh zarnith
# The command line's options need no display: the program tells what it needs from its arguments.
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Zarnith is built (build/ui/zarnith) but needs a graphical session to show its window:" >&2
    echo "no DISPLAY or WAYLAND_DISPLAY is set. Run this command from a desktop session." >&2
    exit 1
fi
exec "${ZARNITH_BUILD_DIR:-build}/ui/zarnith" "$@"
