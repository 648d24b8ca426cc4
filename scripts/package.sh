#!/usr/bin/env bash
# Makes the release a user downloads: dist/Velmora2-<version>-win64.zip with
# the optimised, stripped Velmora2.exe, the help folder (when the repository
# has one) and readme.txt in code page 932 with CR LF line ends, and
# dist/SHA256SUMS with the checksums of the zip and of the exe in it.
#   scripts/package.sh [windows-build-dir]
# Without a folder it builds the program in build/program, as scripts/run.sh
# does; with one it takes that Release build's Velmora2.exe. Prints the zip's
# path, size and contents, and the checksums.
# The same commit gives the same bytes: the exe carries the commit's time
# (SOURCE_DATE_EPOCH, see common.sh), and so does every entry of the zip,
# which go in one fixed order with fixed permissions and no extra fields.
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1

# The release's exe may be no larger than this when stripped.
MAX_EXE_BYTES=$((400 * 1024))

if [[ $# -ge 1 ]]; then
  build=$(cd "$1" && pwd) || exit 1
  grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" 2>/dev/null ||
    { log "$build is not a Release build"; exit 1; }
  # Configured again, so that the link takes this commit's time.
  cmake "$build" >/dev/null || exit 1
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
# Strip would set the time stamp to the time it runs unless told to keep it.
stamp=$(pe_time_stamp "$exe") || exit 1
SOURCE_DATE_EPOCH=$stamp x86_64-w64-mingw32-strip -o "$stage/Velmora2.exe" "$exe" || exit 1
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

# Nothing of the machine or the moment goes in: each entry has the commit's
# time (or the zip's earliest, 1980-01-01, without a commit), written as UTC,
# and the permissions of a plain file or folder; the names are sorted
# bytewise; -X leaves out the owner and the extra time fields.
entry_time=${SOURCE_DATE_EPOCH:-315532800}
(
  cd "$stage" &&
    find "${files[@]}" -type d -exec chmod 755 {} + &&
    find "${files[@]}" -type f -exec chmod 644 {} + &&
    find "${files[@]}" -exec touch -h -d "@$entry_time" {} +
) || { log "could not prepare the files in $stage"; exit 1; }

dist=$VELMORA_ROOT/dist
mkdir -p "$dist"
zip=$dist/Velmora2-$version-win64.zip
rm -f "$zip"
(cd "$stage" && find "${files[@]}" | LC_ALL=C sort | TZ=UTC zip -X -q -@ "$zip") ||
  { log "could not write $zip"; exit 1; }
{
  (cd "$dist" && sha256sum "${zip##*/}") && (cd "$stage" && sha256sum Velmora2.exe)
} >"$dist/SHA256SUMS" || { log "could not write $dist/SHA256SUMS"; exit 1; }

log "Velmora2.exe: $size bytes, stripped, time stamp $stamp"
log "$zip: $(stat -c %s "$zip") bytes"
unzip -l "$zip" >&2
log "$dist/SHA256SUMS:"
cat "$dist/SHA256SUMS" >&2
echo "$zip"
