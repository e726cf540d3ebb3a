#!/usr/bin/env bash
# The material's panel as Windows' user32 draws it (Wine's, here), for comparison
# with `lumra panel`: builds the Windows preset and writes the picture.
#   scripts/panel_windows.sh [panel-windows.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-panel-windows.png}")
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target module_smoke
# Wine's drive Z: is the root of this machine.
scripts/wine.sh /usr/lib/wine/wine64 build/windows/bin/module_smoke.exe \
  "Z:$PWD/build/windows/plugins/LumraMtl_2017.dlt" --picture "Z:$out"
echo "panel_windows: $out"
