#!/usr/bin/env bash
# Serves the built page (build-web/, made by scripts/web-build.sh) on this machine only, with
# Python's http.server, and prints its address. The port is the first argument (8000 unless given).
set -euo pipefail
cd "$(dirname "$0")/.."

port=${1:-8000}
if [ ! -f build-web/index.html ]; then
    echo "build-web/ is not built: run scripts/web-build.sh first" >&2
    exit 1
fi
echo "Zarnith in the browser: http://localhost:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web
