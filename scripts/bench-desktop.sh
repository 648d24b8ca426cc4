#!/usr/bin/env bash
# The desktop benchmark: Velmora2.exe against a minimal launcher of the same
# shape (bench/desktop), both under Wine in one virtual desktop on an Xvfb
# display of its own, timed at the pixel with XTest, with an empty list and
# with a full one of 250 entries, and a soak of many showings. Installs what
# is missing, builds both as the test command builds the Windows program
# (release), runs them alternately and prints the medians, their spread and
# the ratios. Not part of the test command. BENCH_RUNS (21), BENCH_TRIALS (5
# typed characters per run), BENCH_DROPS (3), BENCH_ENTERS (3),
# BENCH_SHOWINGS (100) and BENCH_SOAK (10000 showings) change the counts.
set -u
source "$(dirname "$0")/common.sh"
VELMORA_PACKAGES=(cmake ninja-build g++ g++-mingw-w64-x86-64 wine64 wine xvfb libx11-dev
  libxtst-dev fonts-ipafont-gothic locales)
BENCH=$VELMORA_BUILD/bench-desktop
JOBS=${JOBS:-$(nproc)}
began=$(date +%s)

build() {  # dir, target..., then -- and cmake arguments
  local dir=$1 targets=()
  shift
  while [[ $1 != -- ]]; do targets+=("$1"); shift; done
  shift
  cmake -S "$VELMORA_ROOT" -B "$dir" -G Ninja -DVELMORA_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_TESTS=OFF -DVELMORA_DESKTOP_BENCH=ON "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log" >&2; return 1; }
  cmake --build "$dir" -j "$JOBS" --target "${targets[@]}" >"$dir.build.log" 2>&1 ||
    { tail -n 40 "$dir.build.log" >&2; return 1; }
}

ensure_packages || { log "could not install the packages"; exit 1; }
mkdir -p "$BENCH"
log "building Velmora2.exe, the minimal launcher and the measuring program"
build "$BENCH/windows" Velmora2 MinimalLauncher DesktopKeeper Witness GuiObjects -- \
  -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" || exit 1
build "$BENCH/native" desktop_bench -- || exit 1

# The measuring program copies the programs into fresh folders of their own
# there: Velmora2 writes its files beside it.
run=$BENCH/run
rm -rf "$run"
mkdir -p "$run/logs"

start_xvfb "$run/logs/xvfb.log"
export WINEPREFIX=$BENCH/wineprefix
trap stop_wine_and_xvfb EXIT
restart_wine_prefix
wine "$BENCH/windows/bench/desktop/DesktopKeeper.exe" >"$run/logs/keeper.log" 2>&1 &
sleep 2

log "measuring on Xvfb $DISPLAY"
desktop="$BENCH/windows/bench/desktop"
"$BENCH/native/bench/desktop/desktop_bench" "$BENCH/windows/app/Velmora2.exe" \
  "$desktop/MinimalLauncher.exe" "$desktop/Witness.exe" "$desktop/GuiObjects.exe" "$run"
rc=$?
log "took $(($(date +%s) - began)) s"
exit $rc
