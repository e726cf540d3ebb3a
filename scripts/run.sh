#!/usr/bin/env bash
# Sets up and builds the release build, then runs lumra with the given arguments
# (default: show, which prints a new material's parameters and cached values).
set -euo pipefail
cd "$(dirname "$0")/.."

"$(dirname "$0")/setup.sh"
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
[ $# -gt 0 ] || set -- show
exec ./build/release/lumra/lumra "$@"
