#!/usr/bin/env bash
# Takes docs/web.png: the page in Debian's chromium (headless, through the browser tests'
# playwright-core), with a synthetic image open and an entry selected.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/web-build.sh >/dev/null
bash scripts/build.sh zarnith_synthetic_rom >/dev/null
(cd web && npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
cd web
node --input-type=module -e '
import { startBrowser, syntheticImage } from "./tests/support.mjs";
const browser = await startBrowser();
try {
  const page = await browser.page();
  await page.page.setViewportSize({ width: 900, height: 640 });
  await page.open(syntheticImage("example.gba"));
  await page.page.getByRole("listbox", { name: "Sound moves" }).selectOption({ index: 2 });
  await page.page.screenshot({ path: "../docs/web.png", fullPage: true });
} finally {
  await browser.close();
}
'
echo "wrote docs/web.png"
