#!/usr/bin/env bash
# Runs the tests that need a display: the Win32 platform's window tests and
# the end-to-end tests of the real Velmora2.exe, under Wine, in the virtual
# desktop of the build's Wine prefix, on an Xvfb display of its own, and the
# release zip that scripts/package.sh makes of that same build.
#   tests/e2e/run.sh <windows-build-dir> <results-dir>
# Screenshots and the programs' logs stay in <build>/e2e. Ends Xvfb and the
# prefix's wineserver when done.
set -u
if [[ $# -ne 2 ]]; then
  echo "usage: $0 <windows-build-dir> <results-dir>" >&2
  exit 2
fi
WINDOWS_BUILD=$(cd "$1" && pwd) || exit 1
mkdir -p "$2"
RESULTS=$(cd "$2" && pwd) || exit 1
rm -f "$RESULTS.failed"
export VELMORA_BUILD=$(dirname "$WINDOWS_BUILD")
source "$(dirname "$0")/../../scripts/common.sh"

NATIVE=$VELMORA_BUILD/native
E2E=$VELMORA_BUILD/e2e
EXE=$WINDOWS_BUILD/app/Velmora2.exe
PROBE=$WINDOWS_BUILD/tests/win32/platform/VelmoraProbe.exe
WINDOW_TESTS=$WINDOWS_BUILD/tests/win32/platform/win32_window_tests.exe

# A test binary that failed without its report counts as one failure.
failed() { echo "1:$1" >>"$RESULTS.failed"; }
fail() {
  log "$*"
  failed velmora_e2e
  exit 1
}

[[ -f $WINDOWS_BUILD/build.ninja ]] || fail "configure the Windows build first: $WINDOWS_BUILD"
# Never test a program left over from an earlier build.
cmake --build "$WINDOWS_BUILD" --target win32_window_tests >"$VELMORA_BUILD/e2e.window-tests-build.log" 2>&1 ||
  fail "could not build $WINDOW_TESTS (see $VELMORA_BUILD/e2e.window-tests-build.log)"
# The window tests run even when the program does not build.
program_error=
cmake --build "$WINDOWS_BUILD" --target Velmora2 VelmoraProbe VelmoraPlanted >"$VELMORA_BUILD/e2e.windows-build.log" 2>&1 ||
  program_error="could not build $EXE and $PROBE (see $VELMORA_BUILD/e2e.windows-build.log)"
if [[ -z $program_error && ! -f $NATIVE/build.ninja ]]; then
  cmake -S "$VELMORA_ROOT" -B "$NATIVE" -G Ninja -DVELMORA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
    >"$VELMORA_BUILD/e2e.configure.log" 2>&1 || program_error="could not configure $NATIVE"
fi
if [[ -z $program_error ]]; then
  cmake --build "$NATIVE" --target velmora_e2e >"$VELMORA_BUILD/e2e.build.log" 2>&1 ||
    program_error="could not build the driver (see $VELMORA_BUILD/e2e.build.log)"
fi
if [[ -z $program_error ]]; then
  ZIP=$("$VELMORA_ROOT/scripts/package.sh" "$WINDOWS_BUILD" 2>"$VELMORA_BUILD/e2e.package.log") ||
    program_error="could not make the release zip (see $VELMORA_BUILD/e2e.package.log)"
fi

rm -rf "$E2E"
mkdir -p "$E2E/work" "$E2E/screenshots"

start_xvfb "$E2E/xvfb.log"
trap stop_wine_and_xvfb EXIT
# The wineserver of the Windows stage runs without a display: start the
# prefix again on ours, so that its desktop opens there.
restart_wine_prefix

# Windows need a display: the platform's window tests run here, and their
# report is counted with the others.
log "window tests of the Win32 platform"
(cd "$(dirname "$WINDOW_TESTS")" && GTEST_OUTPUT="xml:Z:$RESULTS/" timeout 600 wine "$WINDOW_TESTS") \
  >"$E2E/window-tests.log" 2>&1
window_rc=$?
tr -d '\r' <"$E2E/window-tests.log" | grep -E '^\[  (PASSED|FAILED)|Failure$' >&2
[[ $window_rc -eq 0 ]] || failed win32_window_tests
[[ -z $program_error ]] || fail "$program_error"

GTEST_OUTPUT="xml:$RESULTS/" VELMORA_E2E_EXE="$EXE" VELMORA_E2E_PROBE="$PROBE" \
  VELMORA_E2E_WORK="$E2E/work" VELMORA_E2E_SHOTS="$E2E/screenshots" \
  VELMORA_E2E_ZIP="$ZIP" VELMORA_E2E_HELP="$VELMORA_ROOT/help" \
  "$NATIVE/tests/e2e/velmora_e2e" 2>&1 | tee "$E2E/e2e.log"
rc=${PIPESTATUS[0]}
log "screenshots in $E2E/screenshots"
[[ $rc -eq 0 ]] || failed velmora_e2e
[[ $rc -eq 0 && $window_rc -eq 0 ]]
