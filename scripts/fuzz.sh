#!/usr/bin/env bash
# Builds the fuzz targets with clang, under the address and undefined-behaviour
# sanitizers, in build/fuzz, and runs each for a bounded time on a starting corpus the
# project's own code writes: the scene loader on sample scenes, the picture readers
# on sample pictures of every format and variant. The scene target's standard error
# is closed (textures say there which files they cannot read, for every input);
# libFuzzer's and the sanitizers' reports still appear.
#   scripts/fuzz.sh [SECONDS] [scene|image|all]      (default 60 seconds each, all)
# Findings are left in build/fuzz/findings; the run fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
targets="${2:-all}"
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
cmake --build "$build" --target scene_loader_fuzz scene_fixtures image_reader_fuzz image_fixtures

findings="$build/findings"
rm -rf "$findings"
mkdir -p "$findings"

if [ "$targets" = all ] || [ "$targets" = scene ]; then
  corpus="$build/corpus"
  mkdir -p "$corpus"
  "$build/fuzz/scene_fixtures" "$corpus"
  echo "== fuzzing the scene loader for ${seconds}s"
  "$build/fuzz/scene_loader_fuzz" "$corpus" \
    -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 \
    -artifact_prefix="$findings/" -print_final_stats=1
fi

if [ "$targets" = all ] || [ "$targets" = image ]; then
  # Pictures of 13 x 7 pixels, a hundred bytes to 2 KB each; inputs up to 4 KB.
  images="$build/image_corpus"
  mkdir -p "$images"
  "$build/fuzz/image_fixtures" "$images"
  echo "== fuzzing the picture readers for ${seconds}s"
  "$build/fuzz/image_reader_fuzz" "$images" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1
fi
