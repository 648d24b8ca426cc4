#!/usr/bin/env bash
# Makes the release a user downloads: dist/Velmora2-<version>-win64.zip with
# the optimised, stripped Velmora2.exe, the help folder (when the repository
# has one) and readme.txt in code page 932 with CR LF line ends.
#   scripts/package.sh [windows-build-dir]
# Without a folder it builds the program in build/program, as scripts/run.sh
# does; with one it takes that Release build's Velmora2.exe. Prints the zip's
# path, size and contents.
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1

# The release's exe may be no larger than this when stripped.
MAX_EXE_BYTES=$((400 * 1024))

if [[ $# -ge 1 ]]; then
  build=$(cd "$1" && pwd) || exit 1
  grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" 2>/dev/null ||
    { log "$build is not a Release build"; exit 1; }
  cmake --build "$build" --target Velmora2 >&2 || exit 1
  exe=$build/app/Velmora2.exe
else
  exe=$(build_program) || exit 1
fi

# The version the program reports about itself.
version=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$VELMORA_ROOT/res/Velmora2.rc")
[[ -n $version ]] || { log "no ProductVersion in res/Velmora2.rc"; exit 1; }

stage=$VELMORA_BUILD/package/Velmora2-$version
rm -rf "$stage"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/Velmora2.exe" "$exe" || exit 1
size=$(stat -c %s "$stage/Velmora2.exe")
if ((size > MAX_EXE_BYTES)); then
  log "Velmora2.exe is $size bytes stripped, more than $MAX_EXE_BYTES"
  exit 1
fi

files=(Velmora2.exe readme.txt)
text=$stage/readme.utf8
if [[ -d $VELMORA_ROOT/help ]]; then
  cp -r "$VELMORA_ROOT/help" "$stage/help"
  files+=(help)
  cp "$VELMORA_ROOT/res/readme.txt" "$text"
else
  # Without help pages the readme does not point to them: their section,
  # the last, goes, and with it the blank lines before it.
  LC_ALL=C sed '/^■ ヘルプ/,$d' "$VELMORA_ROOT/res/readme.txt" |
    LC_ALL=C sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' >"$text"
fi
iconv -f UTF-8 -t CP932 "$text" >"$stage/readme.sjis" || { log "readme.txt is not code page 932"; exit 1; }
LC_ALL=C sed 's/\r*$/\r/' "$stage/readme.sjis" >"$stage/readme.txt"
rm -f "$text" "$stage/readme.sjis"

mkdir -p "$VELMORA_ROOT/dist"
zip=$VELMORA_ROOT/dist/Velmora2-$version-win64.zip
rm -f "$zip"
(cd "$stage" && zip -X -q -r "$zip" "${files[@]}") || { log "could not write $zip"; exit 1; }

log "Velmora2.exe: $size bytes, stripped"
log "$zip: $(stat -c %s "$zip") bytes"
unzip -l "$zip" >&2
echo "$zip"
