#!/usr/bin/env bash
# Builds the scene loader's fuzz target with clang, under the address and
# undefined-behaviour sanitizers, in build/fuzz, and runs it for a bounded time on a
# starting corpus of scenes that the project's own code writes. The target's standard
# error is closed (textures say there which files they cannot read, for every input);
# libFuzzer's and the sanitizers' reports still appear.
#   scripts/fuzz.sh [SECONDS]      (default 60)
# Findings are left in build/fuzz/findings; the run fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is not installed; skipped"
  exit 0
fi

build=build/fuzz
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMRA_BUILD_FUZZ=ON -DLUMRA_BUILD_TESTS=OFF -DLUMRA_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$sanitizers -fsanitize=fuzzer-no-link" \
  "-DCMAKE_EXE_LINKER_FLAGS=$sanitizers" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$sanitizers" \
  "-DCMAKE_MODULE_LINKER_FLAGS=$sanitizers" >/dev/null
cmake --build "$build" --target scene_loader_fuzz scene_fixtures

corpus="$build/corpus"
findings="$build/findings"
rm -rf "$findings"
mkdir -p "$corpus" "$findings"
"$build/fuzz/scene_fixtures" "$corpus"

echo "== fuzzing the scene loader for ${seconds}s"
"$build/fuzz/scene_loader_fuzz" "$corpus" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 \
  -artifact_prefix="$findings/" -print_final_stats=1
