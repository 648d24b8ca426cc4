# Shared by the project's scripts: the packages the build needs and the Wine
# environment the Windows binaries run in.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELMORA_BUILD=${VELMORA_BUILD:-$VELMORA_ROOT/build}

VELMORA_PACKAGES=(cmake ninja-build g++ googletest libgtest-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 wine64 wine xvfb xdotool imagemagick fonts-ipafont-gothic locales
  zip unzip uim-xim uim-anthy x11-utils)

log() { printf '==> %s\n' "$*" >&2; }

# The time of the commit the sources come from: the release's exe and zip
# carry it instead of the time they were built, so that the same commit gives
# the same bytes on any machine. Without a commit to take it from, the exe
# carries no time stamp at all (see app/CMakeLists.txt).
if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git -C "$VELMORA_ROOT" log -1 --format=%ct 2>/dev/null) || SOURCE_DATE_EPOCH=
fi
if [[ -n $SOURCE_DATE_EPOCH ]]; then export SOURCE_DATE_EPOCH; else unset SOURCE_DATE_EPOCH; fi

# Installs the Debian packages that are missing, and the Japanese locale Wine
# takes its ANSI code page from.
ensure_packages() {
  local missing=() p
  for p in "${VELMORA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    log "installing ${missing[*]}"
    local sudo=
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    $sudo apt-get update -qq >&2 &&
      DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2 || return 1
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    log "generating the ja_JP.UTF-8 locale"
    local sudo=
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
      $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen || return 1
    fi
    $sudo locale-gen >&2 || return 1
  fi
}

# Builds Velmora2.exe optimised, without the tests, in build/program (the
# test command's folders have tests switched on); prints the exe's path.
build_program() {
  local build=$VELMORA_BUILD/program
  cmake -S "$VELMORA_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$VELMORA_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null || return 1
  cmake --build "$build" --target Velmora2 >&2 || return 1
  [[ -f $build/app/Velmora2.exe ]] || { log "Velmora2.exe was not built"; return 1; }
  echo "$build/app/Velmora2.exe"
}

# The time stamp in the header of a Windows program (PE), in seconds since 1970.
pe_time_stamp() {  # exe
  local header
  header=$(od -An -tu4 -j 60 -N 4 "$1") && [[ -n $header ]] || return 1
  od -An -tu4 -j $((header + 8)) -N 4 "$1" | tr -d ' '
}

# Wine with its own prefix inside the build folder and a Japanese code page.
wine_env() {
  export WINEPREFIX=${WINEPREFIX:-$VELMORA_BUILD/wineprefix}
  export WINEDEBUG=-all
  # Only the programs started from here need the locale, and they load it
  # anew. This shell reloads its own on each change of these variables, and
  # when the locale was generated after it started, the C library (which
  # never looks for its locale archive again once it found none) fails that
  # with a warning about nothing that matters.
  {
    export LANG=ja_JP.UTF-8
    unset LC_ALL LC_CTYPE
  } 2>/dev/null
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Creates the prefix once (about 10 s) with a virtual desktop, so hotkeys and
# the notification area behave as on a real desktop, and keeps the wineserver
# running for the rest of the run.
ensure_wine_prefix() {
  wine_env
  if [[ ! -f $WINEPREFIX/.velmora-ready ]]; then
    log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.velmora-ready"
  fi
  if [[ ! -f $WINEPREFIX/.velmora-fonts ]]; then
    # The program's font, ＭＳ Ｐゴシック, drawn with the proportional IPA font
    # that Debian has, so that texts take about the widths they were laid out
    # for (the fixed-pitch one is wider).
    local name
    for name in 'ＭＳ Ｐゴシック' 'MS PGothic'; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d IPAPGothic /f >/dev/null 2>&1
    done
    for name in 'ＭＳ ゴシック' 'MS Gothic'; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d IPAGothic /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.velmora-fonts"
  fi
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's services now, away from ctest: a service that inherits a
  # test's output pipe would keep ctest waiting for it to close.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The prefix's Wine started anew on this DISPLAY: a wineserver that runs
# without it (or is left from an interrupted run) keeps its desktop elsewhere.
restart_wine_prefix() {
  wine_env
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  ensure_wine_prefix
}

# An Xvfb display of this script's own, at a number nobody uses; sets
# DISPLAY and xvfb_pid.
start_xvfb() {  # log file
  local display=90
  while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
  # A session of its own: a Ctrl+C meant for the script must not end it first.
  # No key repeat (-r): only xdotool types here, and on a busy machine its
  # release of a key can come later than the repeat delay (660 ms): a
  # repeated Return would press the button of the box that comes next.
  setsid Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -r >"$1" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.05
  done
  export DISPLAY=:$display
}

# Ends the prefix's Wine and the Xvfb of start_xvfb.
stop_wine_and_xvfb() {
  stop_wine
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}

stop_wine() {
  wine_env
  wineserver -k >/dev/null 2>&1 || true
}
