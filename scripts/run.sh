#!/usr/bin/env bash
# Installs what is missing, builds everything, and starts Velmora2.exe under
# Wine in a virtual desktop when the program exists.
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1
for dir in native windows; do
  args=(-DCMAKE_BUILD_TYPE=Release)
  [[ $dir == windows ]] && args+=(-DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake")
  cmake -S "$VELMORA_ROOT" -B "$VELMORA_BUILD/$dir" -G Ninja "${args[@]}" >/dev/null || exit 1
  cmake --build "$VELMORA_BUILD/$dir" || exit 1
done
exe=$VELMORA_BUILD/windows/app/Velmora2.exe
if [[ ! -f $exe ]]; then
  log "built everything; the program itself (Velmora2.exe) does not exist yet"
  exit 0
fi
