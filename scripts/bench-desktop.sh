#!/usr/bin/env bash
# The desktop benchmark: Velmora2.exe against a minimal launcher of the same
# shape (bench/desktop), both under Wine in one virtual desktop on an Xvfb
# display of its own, timed at the pixel with XTest. Installs what is
# missing, builds both as the test command builds the Windows program
# (release), runs them alternately and prints the medians and the ratios.
# Not part of the test command. BENCH_RUNS (7), BENCH_TRIALS (5 typed
# characters per run) and BENCH_SHOWINGS (100) change the counts.
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
build "$BENCH/windows" Velmora2 MinimalLauncher DesktopKeeper -- \
  -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" || exit 1
build "$BENCH/native" desktop_bench -- || exit 1

# Fresh copies in folders of their own: Velmora2 writes its files beside it.
run=$BENCH/run
rm -rf "$run"
mkdir -p "$run/Velmora2" "$run/minimal" "$run/logs"
cp "$BENCH/windows/app/Velmora2.exe" "$run/Velmora2/"
cp "$BENCH/windows/bench/desktop/MinimalLauncher.exe" "$run/minimal/"

display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$run/logs/xvfb.log" 2>&1 &
xvfb_pid=$!
export WINEPREFIX=$BENCH/wineprefix
wine_env
finish() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap finish EXIT
for _ in $(seq 100); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.05
done
export DISPLAY=:$display
# A wineserver left from an interrupted run would keep its desktop elsewhere.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
if [[ ! -f $WINEPREFIX/.bench-ready ]]; then
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 \
    /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.bench-ready"
fi
wineserver -p >/dev/null 2>&1
wine "$BENCH/windows/bench/desktop/DesktopKeeper.exe" >"$run/logs/keeper.log" 2>&1 &
sleep 2

log "measuring on Xvfb :$display"
"$BENCH/native/bench/desktop/desktop_bench" "$run/Velmora2/Velmora2.exe" \
  "$run/minimal/MinimalLauncher.exe" "$run/logs"
rc=$?
log "took $(($(date +%s) - began)) s"
exit $rc
