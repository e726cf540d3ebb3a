#!/usr/bin/env bash
# Sets up and builds the release build, then runs lumra with the given arguments.
# Without arguments: renders the default material's sample slot to preview.png and
# the contact sheet of the reflectance models to preview_sheet.png.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
if [ $# -gt 0 ]; then
  exec ./build/release/lumra/lumra "$@"
fi
./build/release/lumra/lumra render -o preview.png
./build/release/lumra/lumra render --sheet --size 128 -o preview_sheet.png
