#!/usr/bin/env bash
# Builds the release of one commit twice, each time in a fresh clone in a
# folder of its own (another path, time zone, umask and locale for the
# second), and compares the bytes: the zip, the exe in it and SHA256SUMS
# must be the same. Not part of the test command (about 3 minutes here).
#   scripts/verify-release.sh [commit]    # HEAD by default
# Prints both SHA256SUMS; ends with "identical" or with what differs.
set -u
source "$(dirname "$0")/common.sh"
ensure_packages || exit 1

commit=$(git -C "$VELMORA_ROOT" rev-parse --verify "${1:-HEAD}^{commit}") || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-verify.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
log "commit $commit, built in $work"
if [[ -n $(git -C "$VELMORA_ROOT" status --porcelain --untracked-files=no) ]]; then
  log "the working tree has changes that are not committed: they are not in the release"
fi

# Folder, time zone, umask and locale of each build.
builds=("one UTC 022 C.UTF-8" "second/of-another-depth Asia/Tokyo 077 ja_JP.UTF-8")
dists=()
for build in "${builds[@]}"; do
  read -r folder zone mask locale <<<"$build"
  clone=$work/$folder
  mkdir -p "$(dirname "$clone")"
  (
    umask "$mask"
    git clone -q --no-hardlinks "$VELMORA_ROOT" "$clone" &&
      git -C "$clone" checkout -q --detach "$commit"
  ) || { log "could not clone $VELMORA_ROOT into $clone"; exit 1; }
  log "building in $clone (TZ=$zone, umask $mask, LANG=$locale)"
  (
    umask "$mask"
    cd "$clone" &&
      env -u VELMORA_BUILD -u SOURCE_DATE_EPOCH TZ="$zone" LANG="$locale" scripts/package.sh
  ) >"$work/$(basename "$folder").log" 2>&1 ||
    { tail -n 30 "$work/$(basename "$folder").log" >&2; log "the build in $clone failed"; exit 1; }
  dists+=("$clone/dist")
  log "$clone/dist/SHA256SUMS:"
  cat "$clone/dist/SHA256SUMS" >&2
done

different=0
for file in $(cd "${dists[0]}" && ls); do
  cmp "${dists[0]}/$file" "${dists[1]}/$file" >&2 || different=1
done
diff <(cd "${dists[0]}" && ls) <(cd "${dists[1]}" && ls) >&2 || different=1
# The exe inside the zips too, beyond its line in SHA256SUMS.
cmp <(unzip -p "${dists[0]}"/*.zip Velmora2.exe) <(unzip -p "${dists[1]}"/*.zip Velmora2.exe) >&2 ||
  different=1
if ((different)); then
  log "the two builds differ"
  exit 1
fi
echo "identical"
