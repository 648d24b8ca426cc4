#!/usr/bin/env bash
# Runs the end-to-end tests: the real Velmora2.exe under Wine, in the virtual
# desktop of the build's Wine prefix, on an Xvfb display of its own.
#   tests/e2e/run.sh <windows-build-dir> <results-dir>
# Screenshots and the programs' logs stay in <build>/e2e. Ends Xvfb and the
# prefix's wineserver when done.
set -u
if [[ $# -ne 2 ]]; then
  echo "usage: $0 <windows-build-dir> <results-dir>" >&2
  exit 2
fi
WINDOWS_BUILD=$(cd "$1" && pwd) || exit 1
RESULTS=$2
export VELMORA_BUILD=$(dirname "$WINDOWS_BUILD")
source "$(dirname "$0")/../../scripts/common.sh"

NATIVE=$VELMORA_BUILD/native
E2E=$VELMORA_BUILD/e2e
EXE=$WINDOWS_BUILD/app/Velmora2.exe
PROBE=$WINDOWS_BUILD/tests/win32/platform/VelmoraProbe.exe
mkdir -p "$RESULTS"

fail() {
  log "$*"
  echo "1:velmora_e2e" >"$RESULTS.failed"
  exit 1
}

[[ -f $WINDOWS_BUILD/build.ninja ]] || fail "configure the Windows build first: $WINDOWS_BUILD"
# Never test a program left over from an earlier build.
cmake --build "$WINDOWS_BUILD" --target Velmora2 VelmoraProbe VelmoraPlanted >"$VELMORA_BUILD/e2e.windows-build.log" 2>&1 ||
  fail "could not build $EXE and $PROBE (see $VELMORA_BUILD/e2e.windows-build.log)"
if [[ ! -f $NATIVE/build.ninja ]]; then
  cmake -S "$VELMORA_ROOT" -B "$NATIVE" -G Ninja -DVELMORA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
    >"$VELMORA_BUILD/e2e.configure.log" 2>&1 || fail "could not configure $NATIVE"
fi
cmake --build "$NATIVE" --target velmora_e2e >"$VELMORA_BUILD/e2e.build.log" 2>&1 ||
  fail "could not build the driver (see $VELMORA_BUILD/e2e.build.log)"

rm -rf "$E2E"
mkdir -p "$E2E/work" "$E2E/screenshots"

# A display number that nobody uses.
display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$E2E/xvfb.log" 2>&1 &
xvfb_pid=$!
wine_env
cleanup() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.05
done
export DISPLAY=:$display

# The wineserver of the Windows stage runs without a display: start the
# prefix again on ours, so that its desktop opens there.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
ensure_wine_prefix

GTEST_OUTPUT="xml:$RESULTS/" VELMORA_E2E_EXE="$EXE" VELMORA_E2E_PROBE="$PROBE" \
  VELMORA_E2E_WORK="$E2E/work" VELMORA_E2E_SHOTS="$E2E/screenshots" \
  "$NATIVE/tests/e2e/velmora_e2e" 2>&1 | tee "$E2E/e2e.log"
rc=${PIPESTATUS[0]}
log "screenshots in $E2E/screenshots"
if [[ $rc -ne 0 ]]; then
  echo "1:velmora_e2e" >"$RESULTS.failed"
fi
exit "$rc"
