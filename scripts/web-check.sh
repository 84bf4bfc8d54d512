#!/usr/bin/env bash
# The page's tests in a real browser: builds the page (scripts/web-build.sh), the synthetic image
# maker, and the command line and the window's test to compare with, installs the pinned npm
# packages (playwright-core only; it drives Debian's chromium and downloads nothing), then runs
# the tests with node's test runner. Its summary lines are node's "# pass N" and "# fail N".
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/web-build.sh
bash scripts/build.sh zarnith_synthetic_rom zarnith WindowTest >/dev/null
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
(cd web && npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
cd web
node --test --test-reporter=tap tests/
