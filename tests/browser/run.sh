#!/usr/bin/env bash
# Runs the editor page's tests in headless Chromium: run.sh LUMRA_EXE ARTIFACTS_DIR.
# Exits 77 (CTest: skipped), saying why, when the browser, Node or the test folder's
# packages (npm ci, done by scripts/setup.sh) are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
chromium="${CHROMIUM:-/usr/lib/chromium/chromium}"
if ! command -v node >/dev/null; then
  echo "skipped: Node.js is not installed (scripts/setup.sh installs it)"; exit 77
fi
if [ ! -x "$chromium" ]; then
  echo "skipped: no Chromium at $chromium (scripts/setup.sh installs it)"; exit 77
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "skipped: puppeteer-core is not installed in $here (run scripts/setup.sh, or npm ci there)"
  exit 77
fi
mkdir -p "$2"
cd "$here"
LUMRA_EXE="$1" ARTIFACTS="$2" CHROMIUM="$chromium" exec node --test editor.test.mjs
