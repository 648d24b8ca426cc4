#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one in turn for a
# bounded time, starting from the seed corpus in fuzz/corpus. Prints the
# executions and findings of every target; fails when anything was found.
#   FUZZ_RUNS     executions per target (default 1000000)
#   FUZZ_SECONDS  time limit per target in seconds (default 900)
#   FUZZ_TARGETS  which targets (default: all five)
set -u
source "$(dirname "$0")/common.sh"
VELMORA_PACKAGES=(cmake ninja-build clang libclang-rt-14-dev)

RUNS=${FUZZ_RUNS:-1000000}
SECONDS_PER_TARGET=${FUZZ_SECONDS:-900}
TARGETS=${FUZZ_TARGETS:-"ListFile Settings Number CommandLine Text"}
BUILD=$VELMORA_BUILD/fuzz
OUT=$VELMORA_BUILD/fuzz-results

ensure_packages || { log "could not install the packages"; exit 1; }
mkdir -p "$VELMORA_BUILD" "$OUT"
log "building the fuzz targets with clang in $BUILD"
cmake -S "$VELMORA_ROOT" -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_WERROR=ON \
  >"$OUT/configure.log" 2>&1 || { cat "$OUT/configure.log" >&2; exit 1; }
cmake --build "$BUILD" --target fuzz_all >"$OUT/build.log" 2>&1 || { tail -n 40 "$OUT/build.log" >&2; exit 1; }

# The targets that save files do it in a scratch folder on tmpfs.
scratch=$(mktemp -d "${TMPDIR:-/dev/shm}/velmora-fuzz.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export VELMORA_FUZZ_SCRATCH=$scratch

total_findings=0
for target in $TARGETS; do
  corpus=$OUT/corpus/$target
  findings=$OUT/findings/$target
  mkdir -p "$corpus" "$findings"
  log "fuzzing $target: up to $RUNS executions or $SECONDS_PER_TARGET s"
  start=$(date +%s)
  "$BUILD/fuzz/fuzz_$target" -runs="$RUNS" -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" "$VELMORA_ROOT/fuzz/corpus/$target" >"$OUT/$target.log" 2>&1
  rc=$?
  seconds=$(($(date +%s) - start))
  executions=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$OUT/$target.log" | tail -n 1 | grep -o '[0-9]*$')
  found=$(find "$findings" -type f -newermt "@$start" | wc -l)
  if [[ $rc -ne 0 && $found -eq 0 ]]; then found=1; fi  # stopped by something that left no input
  total_findings=$((total_findings + found))
  printf '%-12s %10s executions in %4d s, %d findings\n' "$target" "${executions:-?}" "$seconds" "$found"
  if [[ $found -ne 0 ]]; then
    grep -E 'property broken|ERROR:|SUMMARY' "$OUT/$target.log" | head -n 5 >&2
    log "inputs kept in $findings; log in $OUT/$target.log"
  fi
done
echo "fuzz: $(wc -w <<<"$TARGETS") targets, $total_findings findings"
[[ $total_findings -eq 0 ]]
