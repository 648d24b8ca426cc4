#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts Velmora2.exe under
# Wine in a virtual desktop: on the user's display when DISPLAY is set,
# otherwise on an Xvfb display of its own, whose screenshot it prints the
# path of. The program runs until it is ended (Ctrl+C here ends the session
# the way a log-off does, so its files are written).
#
# Without a display, or with --demo, it first plays the program's main job in
# a folder of its own (build/demo): F12, a sample name typed, Enter, the
# entry run, the registration editor opened and closed; it prints each
# screenshot's path and then keeps the program running until Ctrl+C.
#
# Ctrl+C reaches the whole foreground process group. Xvfb and Wine therefore
# run in sessions of their own: Xvfb dying with the script would take the X
# connection, and with it the program, before the log-off could be played.
set -u
source "$(dirname "$0")/common.sh"
demo=
[[ ${1:-} == --demo || -z ${DISPLAY:-} ]] && demo=1
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
    # Velmora2 ends once the log-off has had it write its files. Another
    # program that lingers on the log-off (the demo's Notepad sometimes keeps
    # wineboot waiting under Wine) must not keep this script: Wine is
    # stopped below, and wineboot with it.
    kill -0 "$program_pid" 2>/dev/null && { wineboot --end-session >/dev/null 2>&1 & }
    local tries
    for ((tries = 0; tries < 300; tries++)); do
      kill -0 "$program_pid" 2>/dev/null || break
      sleep 0.1
    done
    if ! kill -0 "$program_pid" 2>/dev/null; then
      wait "$program_pid" 2>/dev/null
      program_code=$?
    fi
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

# The demo's folder: the program with a sample entry "memo" that opens a
# text file in Notepad.
if [[ -n $demo ]]; then
  folder=$VELMORA_BUILD/demo
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$exe" "$folder/"
  cp -r "$(dirname "$exe")/help" "$folder/" 2>/dev/null
  # The users' readme as the release holds it: code page 932, CR LF.
  sed 's/$/\r/' "$VELMORA_ROOT/res/readme.txt" | iconv -f UTF-8 -t CP932 >"$folder/readme.txt"
  exe=$folder/Velmora2.exe
  memo="Z:${folder//\//\\}\\readme.txt"
  printf 'memo\r\nnotepad.exe|%s\r\n' "$memo" >"$folder/Velmora.Lst"
fi

log "starting $exe"
# A session of its own, so that Ctrl+C reaches this script and not Wine.
(cd "$(dirname "$exe")" && exec setsid wine "$exe") &
program_pid=$!
sleep 3
shots=$VELMORA_BUILD/demo-screenshots
shot() {  # name, what it shows
  mkdir -p "$shots"
  import -window root "$shots/$1.png" && log "$2: $shots/$1.png"
}
key() {  # the keyboard goes to the Wine desktop under the pointer
  xdotool mousemove 5 5 key "$@"
}
if [[ -n $demo ]]; then
  shot 1-started "started: only the icon in the notification area (bottom right)"
  key F12
  sleep 1
  shot 2-f12 "F12: the launcher window, ready for a name"
  xdotool mousemove 5 5 type --delay 60 memo
  sleep 0.5
  shot 3-typed "the sample name typed"
  key Return
  sleep 3
  shot 4-run "Enter: the entry runs (Notepad with the readme) and the launcher hides"
  # The launcher's own menu, from its right margin (the window stands where
  # a first start puts it, at 500,340, 114 pixels wide): 登録内容の編集(&E).
  key F12
  sleep 1
  xdotool mousemove 610 352 click 3
  sleep 1
  key e
  sleep 2
  shot 5-editor "the registration editor with the sample entry"
  # Closed again (Esc is its Ok): a log-off while it is open and Notepad
  # runs waits under Wine on a "not responding" box.
  key Escape
  sleep 1
elif [[ -n $xvfb_pid ]]; then
  shot run-screenshot "screenshot of the desktop"
fi
log "Velmora2 runs (its data files are in $(dirname "$exe")); Ctrl+C ends it"
wait "$program_pid"
program_code=$?
