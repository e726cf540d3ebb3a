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

# Prints "wall-seconds peak-kilobytes cpu-seconds" of a command.
measure() {
  /usr/bin/time -o "$work/time.txt" -f '%e %M %U %S' "$@" >/dev/null 2>&1
  awk '{print $1, $2, $3 + $4}' "$work/time.txt"
}
# The wall and processor seconds of a command, "WALL/CPU".
seconds() { measure "$@" | awk '{print $1 "/" $3}'; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }

batch2=() batch1=() single=() first=() second=() mem1=() mem10=()
for ((r = 1; r <= repeat; ++r)); do
  rm -rf "$work/out" "$work/cache"
  batch2+=("$(seconds "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2)")
  batch1+=("$(seconds "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 1)")
  single+=("$(seconds bash -c 'for ((k = 1; k <= $2; ++k)); do
    "$1" render --scene "$3/lib.lsc" --material "$k" --size "$4" --threads 2 -o "$3/single.png"
    done' - "$lumra" "$count" "$work" "$size")")
  first+=("$(seconds "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2 --cache "$work/cache")")
  second+=("$(seconds "$lumra" thumbnails "$work/lib.lsc" -o "$work/out" --size "$size" --threads 2 --cache "$work/cache")")
  mem1+=("$(measure "$lumra" thumbnails "$work/lib.lsc" -o "$work/mem" --size 16 --threads 2 | cut -d' ' -f2)")
  mem10+=("$(measure "$lumra" thumbnails "$work/lib10.lsc" -o "$work/mem" --size 16 --threads 2 | cut -d' ' -f2)")
  echo "run $r (wall/processor seconds): batch 2 threads ${batch2[-1]}, 1 thread ${batch1[-1]}," \
       "one process each ${single[-1]}, cache first ${first[-1]}, second ${second[-1]};" \
       "peak ${mem1[-1]} KB / ${mem10[-1]} KB"
done

# The median of the wall (field 1) or processor (field 2) seconds.
med() { local f=$1; shift; printf '%s\n' "$@" | cut -d/ -f"$f" | median; }
both() {
  local name=$1 a=$2 b=$3
  echo "  $name: wall $(med 1 "${!a}") / $(med 1 "${!b}") = $(ratio "$(med 1 "${!a}")" "$(med 1 "${!b}")")," \
       "processor $(med 2 "${!a}") / $(med 2 "${!b}") = $(ratio "$(med 2 "${!a}")" "$(med 2 "${!b}")")"
}
m1=$(printf '%s\n' "${mem1[@]}" | median)
m10=$(printf '%s\n' "${mem10[@]}" | median)
echo "medians of $repeat (seconds; load now: $(cut -d' ' -f1-3 /proc/loadavg)):"
both "batch (2 threads) / one process per material" "batch2[@]" "single[@]"
both "1 thread / 2 threads" "batch1[@]" "batch2[@]"
both "cached second run / first" "second[@]" "first[@]"
echo "  peak memory $((count * 10)) / $count materials: $m10 KB / $m1 KB = $(ratio "$m10" "$m1")"
echo "reproducible seeding (a 128 px slot, one thread):"
"$bin/bench/shade_bench" --benchmark_filter=SlotSeeding --benchmark_repetitions=9 \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true 2>/dev/null |
  grep median
