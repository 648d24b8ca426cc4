#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts Velmora2.exe under
# Wine in a virtual desktop: on the user's display when DISPLAY is set,
# otherwise on an Xvfb display of its own, whose screenshot it prints the
# path of. The program runs until it is ended (Ctrl+C here ends the session
# the way a log-off does, so its files are written).
#
# Ctrl+C reaches the whole foreground process group. Xvfb and Wine therefore
# run in sessions of their own: Xvfb dying with the script would take the X
# connection, and with it the program, before the log-off could be played.
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1
exe=$(build_program) || exit 1

# Ends the program the way a log-off does (so its files are written) if it
# still runs, then stops Wine and the Xvfb of this script.
xvfb_pid= program_pid= program_code=
finish() {
  # A second Ctrl+C must not cut the log-off short.
  trap '' INT TERM
  trap - EXIT
  if [[ -n $program_pid && -z $program_code ]]; then
    kill -0 "$program_pid" 2>/dev/null && wineboot --end-session >/dev/null 2>&1
    wait "$program_pid" 2>/dev/null
    program_code=$?
  fi
  [[ -n $program_code ]] && log "Velmora2 ended with exit code $program_code"
  [[ -n ${WINEPREFIX:-} ]] && wineserver -k >/dev/null 2>&1
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
}
trap 'finish; exit 130' INT TERM
trap finish EXIT

if [[ -z ${DISPLAY:-} ]]; then
  start_xvfb /dev/null
  log "no DISPLAY: running on Xvfb $DISPLAY"
fi
restart_wine_prefix

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
