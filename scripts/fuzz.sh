#!/usr/bin/env bash
# A short, bounded fuzz run on save-file loading: builds the fuzz target with
# clang and plays mutations of fuzz/corpus for at most PIGMENT_FUZZ_SECONDS
# (45 by default). New inputs go to build-fuzz/corpus, never into fuzz/corpus;
# a finding is written to build-fuzz/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${PIGMENT_FUZZ_SECONDS:-45}
# Absolute paths: the target works in a scratch directory of its own.
build=$PWD/build-fuzz

CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIGMENT_FUZZ=ON \
      -DPIGMENT_TESTS=ON -DPIGMENT_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target save_fuzz

mkdir -p "$build/corpus"
# The saves land in a scratch directory in memory, so syncing them costs nothing.
scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
# -close_fd_mask=1: "generator spawned" on every purchase would drown the report.
TMPDIR="$scratch_root" ASAN_OPTIONS=detect_leaks=1 \
  "$build/save_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$build/" \
  "$build/corpus" "$PWD/fuzz/corpus" 2>"$build/fuzz.log" || {
    tail -n 60 "$build/fuzz.log"
    echo "fuzzing found a fault; the input is in $build/" >&2
    exit 1
  }
grep -E '^Done|stat::number_of_executed_units' "$build/fuzz.log" || true
