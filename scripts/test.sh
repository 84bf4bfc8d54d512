#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh libmgba-dev
bash scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir "${ZARNITH_BUILD_DIR:-build}" --output-on-failure --no-tests=error
