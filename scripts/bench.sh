#!/usr/bin/env bash
# Builds the core benchmark (optimised, Google Benchmark) and runs it. The
# data files go to VELMORA_BENCH_DIR (default: a folder in the build folder,
# on disk, where every save pays for its fsync); extra arguments go to the
# benchmark, e.g. --benchmark_filter=Find.
set -u
source "$(dirname "$0")/common.sh"
VELMORA_PACKAGES=(cmake ninja-build g++ libbenchmark-dev)
BUILD=$VELMORA_BUILD/bench

ensure_packages || { log "could not install the packages"; exit 1; }
mkdir -p "$VELMORA_BUILD"
cmake -S "$VELMORA_ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
  >"$BUILD.configure.log" 2>&1 || { cat "$BUILD.configure.log" >&2; exit 1; }
cmake --build "$BUILD" --target core_bench >"$BUILD.build.log" 2>&1 || { tail -n 40 "$BUILD.build.log" >&2; exit 1; }

folder=${VELMORA_BENCH_DIR:-$VELMORA_BUILD/bench-files}
mkdir -p "$folder"
"$BUILD/bench/core_bench" "$folder" "$@"
