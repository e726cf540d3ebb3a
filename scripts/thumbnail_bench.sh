#!/usr/bin/env bash
# Measures lumra thumbnails on a benchmark library made by lumra_make_library
# (every reflectance model, glossiness from rough to mirror, anisotropy,
# refraction, bitmap maps on every tenth material), and prints medians:
#   - the batch beside one 'lumra render' process per material;
#   - the batch on 2 threads beside 1;
#   - a second run with the cache and nothing changed beside the first;
#   - peak memory of a library 10 times larger beside the library;
#   - the cost of reproducible seeding (shade_bench's BM_SlotSeeding).
#
#   scripts/thumbnail_bench.sh [COUNT [REPEAT [SIZE]]]    (default 1000 3 128)
#
# Work files go to $THUMBNAIL_BENCH_DIR (default a new folder under /tmp). The
# peak-memory runs draw at 16 pixels (the library's size is what they measure).
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-1000}
repeat=${2:-3}
size=${3:-128}
bin=build/release
lumra=$bin/lumra/lumra
make_library=$bin/lumra/lumra_make_library
cmake --build --preset release --target lumra lumra_make_library shade_bench >/dev/null

work=${THUMBNAIL_BENCH_DIR:-$(mktemp -d /tmp/lumra-thumbnail-bench.XXXXXX)}
mkdir -p "$work"
echo "work folder: $work; $count materials, $repeat runs each, $size px; load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$make_library" "$work/lib.lsc" "$count" --textures "$work/textures"
"$make_library" "$work/lib10.lsc" $((count * 10)) --textures "$work/textures"

# Prints "wall-seconds peak-kilobytes" of a command.
measure() {
  /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>&1
  cat "$work/time.txt"
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }

batch2=() batch1=() single=() first=() second=() mem1=() mem10=()
for ((r = 1; r <= repeat; ++r)); do
  rm -rf "$work/out" "$work/cache"
  batch2+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2 | cut -d' ' -f1)")
  batch1+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 1 | cut -d' ' -f1)")
  start=$(date +%s.%N)
  for ((k = 1; k <= count; ++k)); do
    "$lumra" render --scene "$work/lib.lsc" --material "$k" --size "$size" --threads 2 \
      -o "$work/single.png" >/dev/null 2>&1
  done
  single+=("$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN {print e - s}')")
  first+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2 --cache "$work/cache" | cut -d' ' -f1)")
  second+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2 --cache "$work/cache" | cut -d' ' -f1)")
  mem1+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/mem" --size 16 --threads 2 | cut -d' ' -f2)")
  mem10+=("$(measure "$lumra" thumbnails "$work/lib10.lsc" -o "$work/mem" --size 16 --threads 2 | cut -d' ' -f2)")
  echo "run $r: batch 2 threads ${batch2[-1]} s, 1 thread ${batch1[-1]} s, one process each ${single[-1]} s," \
       "cache first ${first[-1]} s, second ${second[-1]} s, peak ${mem1[-1]} KB / ${mem10[-1]} KB"
done

b2=$(printf '%s\n' "${batch2[@]}" | median)
b1=$(printf '%s\n' "${batch1[@]}" | median)
s1=$(printf '%s\n' "${single[@]}" | median)
c1=$(printf '%s\n' "${first[@]}" | median)
c2=$(printf '%s\n' "${second[@]}" | median)
m1=$(printf '%s\n' "${mem1[@]}" | median)
m10=$(printf '%s\n' "${mem10[@]}" | median)
echo "medians of $repeat:"
echo "  batch (2 threads) / one process per material: $b2 s / $s1 s = $(ratio "$b2" "$s1")"
echo "  1 thread / 2 threads: $b1 s / $b2 s = $(ratio "$b1" "$b2")x faster"
echo "  cached second run / first: $c2 s / $c1 s = $(ratio "$c2" "$c1")"
echo "  peak memory $((count * 10)) / $count materials: $m10 KB / $m1 KB = $(ratio "$m10" "$m1")"
echo "reproducible seeding (a 128 px slot, one thread):"
"$bin/bench/shade_bench" --benchmark_filter=SlotSeeding --benchmark_repetitions=9 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true 2>/dev/null |
  grep median
