#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) and
# runs each for SECONDS seconds (default 60) from its seed corpus: the
# folders listed in fuzz/NAME.seeds. New inputs are kept in
# $build/corpus/NAME; a crash leaves its input in $build/crashes.
# Usage: fuzz/run.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${ARDENTIX_FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DARDENTIX_FUZZ=ON -DARDENTIX_TESTS=OFF \
  -DARDENTIX_BENCH=OFF -DARDENTIX_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(sed -n 's/^ *add_executable(\([A-Za-z0-9_]*_fuzz\).*/\1/p' fuzz/CMakeLists.txt)
ninja -C "$build" -j2 $targets

status=0
mkdir -p "$build/crashes"
for t in $targets; do
  [ -x "$build/fuzz/$t" ] || continue
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  seeds=""
  if [ -f "fuzz/$t.seeds" ]; then
    seeds=$(grep -v '^ *#' "fuzz/$t.seeds" | tr '\n' ' ')
  fi
  echo "== $t for $seconds s (seeds: ${seeds:-none})"
  # shellcheck disable=SC2086
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$build/fuzz/$t" "$corpus" $seeds -max_total_time="$seconds" -max_len=16384 \
      -timeout=25 -artifact_prefix="$build/crashes/$t-" -print_final_stats=1; then
    status=1
  fi
done
exit $status
