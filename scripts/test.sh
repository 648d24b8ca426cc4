#!/usr/bin/env bash
# Builds and runs every test: native, native under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine, the end-to-end
# tests of the real program and of its release zip, and the tests of the
# project's own commands. Installs what is missing first. Ends with one line
# "N passed, N failed" and fails when any test failed.
set -u
source "$(dirname "$0")/common.sh"

RESULTS=$VELMORA_BUILD/results
JOBS=${JOBS:-$(nproc)}
STAGES=${VELMORA_STAGES:-"native windows e2e sanitize scripts"}
stage_failures=0
start_time=$(date +%s)

ensure_packages || { log "could not install the packages"; echo "0 passed, 1 failed"; exit 1; }
rm -rf "$RESULTS"
mkdir -p "$RESULTS"
# Where the time goes: seconds per stage, printed at the end.
timings=("packages $(($(date +%s) - start_time))")

configure_and_build() {  # dir, cmake args...
  local dir=$1; shift
  cmake -S "$VELMORA_ROOT" -B "$dir" -G Ninja -DVELMORA_WERROR=ON "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log" >&2; return 1; }
  cmake --build "$dir" -j "$JOBS" >"$dir.build.log" 2>&1 ||
    { tail -n 60 "$dir.build.log" >&2; return 1; }
}

run_ctest() {  # stage, build dir, xml dir as the test binaries see it
  local stage=$1 dir=$2 xml=$3
  mkdir -p "$RESULTS/$stage"
  GTEST_OUTPUT="xml:$xml" ctest --test-dir "$dir" -j "$JOBS" --output-on-failure \
    >"$RESULTS/$stage.ctest.log" 2>&1
  local rc=$?
  grep -E '^[0-9]+% tests passed|tests failed|\*\*\*|Failed|Timeout' "$RESULTS/$stage.ctest.log" >&2 || true
  if [[ $rc -ne 0 ]]; then
    cp "$dir/Testing/Temporary/LastTestsFailed.log" "$RESULTS/$stage.failed" 2>/dev/null || true
  fi
  return $rc
}

stage_native() {
  log "native build and tests"
  mkdir -p "$VELMORA_BUILD"
  configure_and_build "$VELMORA_BUILD/native" -DCMAKE_BUILD_TYPE=Debug || return 1
  run_ctest native "$VELMORA_BUILD/native" "$RESULTS/native/"
}

build_sanitize() {
  configure_and_build "$VELMORA_BUILD/sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
}

stage_sanitize() {
  wait_prebuild
  log "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  # Done already when it was built during the end-to-end tests; a failed
  # build fails here again, with its log.
  build_sanitize || return 1
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest sanitize "$VELMORA_BUILD/sanitize" "$RESULTS/sanitize/"
}

stage_windows() {
  log "Windows build (MinGW-w64) and tests under Wine"
  configure_and_build "$VELMORA_BUILD/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" || return 1
  ensure_wine_prefix
  run_ctest windows "$VELMORA_BUILD/windows" "Z:$RESULTS/windows/"
}

# The stages after the end-to-end tests build while those run, at the lowest
# priority, on the processor time they leave unused: the sanitized tests, and
# the program in build/program as a newcomer's first run builds it.
later_stage() { [[ " ${STAGES#*e2e} " == *" $1 "* ]]; }

prebuild_later_stages() {
  (
    renice -n 19 -p $BASHPID >/dev/null
    if later_stage sanitize; then build_sanitize >"$VELMORA_BUILD/sanitize.prebuild.log" 2>&1; fi
    if later_stage scripts; then build_program >"$VELMORA_BUILD/program.prebuild.log" 2>&1; fi
  ) &
  prebuild_pid=$!
}

wait_prebuild() {
  [[ -z ${prebuild_pid:-} ]] || wait "$prebuild_pid"
  prebuild_pid=
}

stage_e2e() {
  prebuild_later_stages
  if [[ -x $VELMORA_ROOT/tests/e2e/run.sh ]]; then
    log "window tests and end-to-end tests of Velmora2.exe under Wine on Xvfb"
    mkdir -p "$RESULTS/e2e"
    "$VELMORA_ROOT/tests/e2e/run.sh" "$VELMORA_BUILD/windows" "$RESULTS/e2e"
  fi
}

stage_scripts() {
  # A failed build shows again in the run command's test, which builds it.
  wait_prebuild
  log "tests of the run and test commands"
  "$VELMORA_ROOT/tests/scripts/run.sh" "$RESULTS/scripts" ||
    echo "1:scripts" >"$RESULTS/scripts.failed"
}

# Sums the test cases of the XML reports; a test binary that failed without
# a failing case in its report (a crash, a timeout) counts as one failure.
summarize() {
  local passed=0 failed=0 stage file name counts
  for stage in $STAGES; do
    for file in "$RESULTS/$stage"/*.xml; do
      [[ -f $file ]] || continue
      counts=$(awk '
        /<testcase / { if ($0 ~ /\/>[[:space:]]*$/) { if ($0 !~ /result="skipped"/) p++ } else { open=1; bad=0 } next }
        open && /<failure/ { bad=1 }
        open && /<\/testcase>/ { if (bad) f++; else if (!skipped) p++; open=0; skipped=0 }
        open && /<skipped/ { skipped=1 }
        END { printf "%d %d", p, f }' "$file")
      passed=$((passed + ${counts% *}))
      failed=$((failed + ${counts#* }))
    done
    if [[ -f $RESULTS/$stage.failed ]]; then
      while IFS=: read -r _ name; do
        file="$RESULTS/$stage/$name.xml"
        if [[ ! -f $file ]] || ! grep -q '<failure' "$file"; then
          failed=$((failed + 1))
        fi
      done <"$RESULTS/$stage.failed"
    fi
  done
  failed=$((failed + stage_failures))
  local detail
  printf -v detail '%s s, ' "${timings[@]}"
  log "took $(($(date +%s) - start_time)) s (${detail%, })"
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}

# A merge or an editor leaves copies of files behind (*.orig, *.rej, *~);
# the tree must track none of them.
check_tree() {
  git -C "$VELMORA_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1 || return 0
  local leftovers
  leftovers=$(git -C "$VELMORA_ROOT" ls-files -- '*.orig' '*.rej' '*~')
  [[ -z $leftovers ]] && return 0
  log "the tree tracks leftovers of a merge or an editor:" $leftovers
  return 1
}

check_tree || stage_failures=$((stage_failures + 1))
for stage in $STAGES; do
  stage_start=$(date +%s)
  if ! "stage_$stage"; then
    if [[ ! -f $RESULTS/$stage.failed ]]; then
      log "stage $stage failed before its tests could report"
      stage_failures=$((stage_failures + 1))
    fi
  fi
  timings+=("$stage $(($(date +%s) - stage_start))")
done
stop_wine
summarize
