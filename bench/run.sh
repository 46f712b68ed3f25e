#!/bin/sh
# Builds the benchmarks, generates their large input files and prints the
# figures. Usage: bench/run.sh [SIZE_MB]   (default 100)
#
# Inputs go to $ARDENTIX_BENCH_DIR (default /tmp/ardentix-bench) and are
# generated once per size. Each benchmark prints its own lines; add new
# ones in the "benchmarks" section below.
set -eu
cd "$(dirname "$0")/.."
size=${1:-100}
data=${ARDENTIX_BENCH_DIR:-/tmp/ardentix-bench}
build=${ARDENTIX_BENCH_BUILD:-build-bench}
mkdir -p "$data"

echo "== building benchmarks in $build"
cmake -S . -B "$build" -G Ninja -DARDENTIX_TESTS=OFF -DARDENTIX_BENCH=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Every executable defined in bench/CMakeLists.txt that this configuration
# has (a build of some folders only lacks the benchmarks of the others).
targets=$(sed -n 's/^ *add_executable(\([A-Za-z0-9_]*\).*/\1/p' bench/CMakeLists.txt)
present=""
for t in $targets; do
  if ninja -C "$build" -t query "$t" >/dev/null 2>&1; then present="$present $t"; fi
done
ninja -C "$build" -j2 $present >/dev/null

# Inputs: generated 5010 files of the given size.
input() {  # input TYPE [SIZE_MB] -> path of the generated file
  mb=${2:-$size}
  f="$data/${1}_${mb}mb.x12"
  if [ ! -s "$f" ]; then
    "$build/bench/gen_x12" "$1" "$mb" "$f" >/dev/null
  fi
  echo "$f"
}

echo "== benchmarks ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
# --- X12 load against a plain split pass ----------------------------------
if [ -x "$build/bench/load_bench" ]; then
  for type in 837p 835; do
    echo "-- load $type"
    "$build/bench/load_bench" "$(input $type)" --repeat 5
  done
fi

# --- 837 export to CSV, XML and DBF against the plain split pass -----------
if [ -x "$build/bench/export_bench" ]; then
  echo "-- export 837p (default professional map)"
  "$build/bench/export_bench" "$(input 837p)" --repeat 3
fi

# --- claim field lookup: every field name for every claim ------------------
# A 10 MB file and the full size: the cost per claim must stay the same.
if [ -x "$build/bench/claim_lookup_bench" ]; then
  for mb in $(printf '%s\n' 10 "$size" | sort -un); do
    echo "-- claim lookup 837p ${mb} MB"
    "$build/bench/claim_lookup_bench" "$(input 837p "$mb")" --repeat 3
  done
fi

# --- the program's unattended CSV runs (HO,OW): a folder of 200 generated
# 837P files of 500 KB each, and one file of the full size -------------------
if [ -x "$build/bench/parse_bench" ]; then
  folder="$data/parse_200x500kb"
  if [ "$(ls "$folder" 2>/dev/null | wc -l)" -ne 200 ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    i=1
    while [ $i -le 200 ]; do
      "$build/bench/gen_x12" 837p 0.5 "$folder/claims$i.x12" --seed $i >/dev/null
      i=$((i + 1))
    done
  fi
  echo "-- parse CSV, folder of 200 837P files of 500 KB"
  "$build/bench/parse_bench" "$folder" --repeat 3
  echo "-- parse CSV, one 837P file of ${size} MB"
  "$build/bench/parse_bench" "$(input 837p)" --repeat 3
fi
