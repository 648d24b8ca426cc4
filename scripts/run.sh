#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts Velmora2.exe under
# Wine in a virtual desktop: on the user's display when DISPLAY is set,
# otherwise on an Xvfb display of its own, whose screenshot it prints the
# path of. The program runs until it is ended (Ctrl+C here ends the session
# the way a log-off does, so its files are written).
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1
# A build folder of its own: the test command's folders have tests switched on.
build=$VELMORA_BUILD/program
cmake -S "$VELMORA_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build" --target Velmora2 || exit 1
exe=$build/app/Velmora2.exe
[[ -f $exe ]] || { log "Velmora2.exe was not built"; exit 1; }

xvfb_pid=
if [[ -z ${DISPLAY:-} ]]; then
  start_xvfb /dev/null
  log "no DISPLAY: running on Xvfb $DISPLAY"
fi
restart_wine_prefix

# Ends the program the way a log-off does (so its files are written) if it
# still runs, then stops Wine and the Xvfb of this script.
program_code=
finish() {
  trap - INT TERM EXIT
  if [[ -z $program_code ]]; then
    kill -0 "$program_pid" 2>/dev/null && wineboot --end-session >/dev/null 2>&1
    wait "$program_pid" 2>/dev/null
    program_code=$?
  fi
  log "Velmora2 ended with exit code $program_code"
  wineserver -k >/dev/null 2>&1
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
}
trap finish INT TERM EXIT

log "starting $exe"
# A session of its own, so that Ctrl+C reaches this script and not Wine.
(cd "$(dirname "$exe")" && exec setsid wine "$exe") &
program_pid=$!
if [[ -n $xvfb_pid ]]; then
  sleep 3
  shot=$VELMORA_BUILD/run-screenshot.png
  import -window root "$shot" && log "screenshot of the desktop: $shot"
fi
log "Velmora2 runs (its data files are in $(dirname "$exe")); Ctrl+C ends it"
wait "$program_pid"
program_code=$?
