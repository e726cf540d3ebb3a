#!/usr/bin/env bash
# Sets up, builds and runs the tests, for each preset named (default: release).
#   scripts/test.sh                     release build
#   scripts/test.sh release sanitize    both builds, the second with ASan and UBSan
#   scripts/test.sh windows             the Windows build, its tests under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(release)
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if [ "$preset" = windows ]; then
    scripts/wine.sh ctest --preset windows --parallel "$(nproc)"
  else
    ctest --preset "$preset" --parallel "$(nproc)"
  fi
done
