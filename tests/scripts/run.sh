#!/usr/bin/env bash
# Tests of the project's own commands, run the way a newcomer runs them:
# Ctrl+C in the run command on a machine without a display, the test
# command's set-up on a machine whose Japanese locale is not generated yet,
# and the release made twice of the same build.
#   tests/scripts/run.sh <results-dir>
# Writes <results-dir>/scripts.xml in the form of GoogleTest's reports.
set -u
if [[ $# -ne 1 ]]; then
  echo "usage: $0 <results-dir>" >&2
  exit 2
fi
RESULTS=$1
source "$(dirname "$0")/../../scripts/common.sh"
WORK=$VELMORA_BUILD/scripts
rm -rf "$WORK"
mkdir -p "$WORK" "$RESULTS"

report=() failures=0

# Runs one case in a subshell; its output is the failure text when it fails.
# A case that prints "SKIPPED: why" and returns 0 counts as skipped.
run_case() {
  local name=$1 started output status
  started=$(date +%s.%N)
  output=$("$name" 2>&1)
  status=$?
  local seconds
  seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  local line="    <testcase name=\"$name\" classname=\"Scripts\" time=\"$seconds\""
  if [[ $status -ne 0 ]]; then
    failures=$((failures + 1))
    log "FAILED $name"
    printf '%s\n' "$output" >&2
    report+=("$line>" "      <failure message=\"$name failed\"><![CDATA[${output//]]>/]] >}]]></failure>"
      "    </testcase>")
  elif [[ $output == SKIPPED:* ]]; then
    log "skipped $name: ${output#SKIPPED: }"
    report+=("$line>" "      <skipped message=\"${output#SKIPPED: }\"/>" "    </testcase>")
  else
    log "passed $name (${seconds} s)"
    report+=("$line />")
  fi
}

# Ctrl+C in a terminal sends SIGINT to the whole foreground job: the run
# command, and every process it started in its process group. The program
# must still end the way a log-off ends it, and write both data files.
CtrlCInTheRunCommandEndsTheProgramLikeALogOffAndKeepsItsFiles() {
  local app log=$WORK/run.log signalled=$WORK/signalled
  # Job control gives the command a process group of its own, as a shell
  # in a terminal does. SIGINT is given back its default: a test command
  # started in the background or under nohup has it ignored, and an ignored
  # signal can be trapped by no shell below.
  set -m
  env -u DISPLAY --default-signal=INT "$VELMORA_ROOT/scripts/run.sh" >"$log" 2>&1 &
  local job=$!
  set +m
  local waited=0
  until grep -qs 'Ctrl+C ends it' "$log"; do
    if ! kill -0 "$job" 2>/dev/null || ((waited++ > 1200)); then
      kill -TERM -- -"$job" 2>/dev/null
      echo "the run command never got the program running:"
      cat "$log"
      return 1
    fi
    sleep 0.5
  done
  local display
  display=$(sed -n 's/.*running on Xvfb :\([0-9]*\).*/\1/p' "$log")
  # Where the program runs and writes its files: without a display, the
  # folder of the main job it plays first.
  app=$(sed -n 's/.*its data files are in \(.*\)); Ctrl+C ends it.*/\1/p' "$log")
  touch "$signalled"
  sleep 1
  kill -INT -- -"$job"
  local code
  for ((waited = 0; waited < 120; waited++)); do
    kill -0 "$job" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$job" 2>/dev/null; then
    kill -KILL -- -"$job" 2>/dev/null
    echo "the run command did not end within 60 s of Ctrl+C:"
    cat "$log"
    return 1
  fi
  wait "$job"
  code=$?
  local ok=0
  [[ $code -eq 130 ]] || { echo "the run command ended with $code, not 130"; ok=1; }
  grep -q 'Velmora2 ended with exit code 0' "$log" ||
    { echo "the program did not end with exit code 0"; ok=1; }
  grep -q '^\[Hotkey\]' "$app/Velmora.ini" 2>/dev/null ||
    { echo "no settings file with its [Hotkey] section in $app"; ok=1; }
  local file
  for file in Velmora.ini Velmora.Lst; do
    [[ $app/$file -nt $signalled ]] || { echo "$file in $app was not written at the end"; ok=1; }
  done
  if [[ -z $display ]]; then
    echo "the run command did not say which Xvfb display it started"
    ok=1
  else
    for ((waited = 0; waited < 20; waited++)); do
      [[ -e /tmp/.X$display-lock ]] || break
      sleep 0.25
    done
    [[ ! -e /tmp/.X$display-lock ]] || { echo "the run command left Xvfb :$display running"; ok=1; }
  fi
  ((ok == 0)) || cat "$log"
  return $ok
}

# On a fresh machine the test command generates the locale after its shell
# started; it must say nothing about that shell's own locale, and the
# programs it starts must get the Japanese one.
AFreshlyGeneratedLocalePrintsNoWarningAndReachesThePrograms() {
  if ! unshare -m true 2>/dev/null; then
    echo "SKIPPED: no mount namespace here to hide the generated locales in"
    return 0
  fi
  local fresh=$WORK/fresh-locales out=$WORK/locale.out err=$WORK/locale.err
  mkdir -p "$fresh"
  # A private /usr/lib/locale with nothing generated in it; the shell starts
  # under the C.UTF-8 locale as a fresh Debian machine's does.
  unshare -m bash -c '
    mount -t tmpfs tmpfs "$1" && cp -a /usr/lib/locale/C.utf8 "$1"/ &&
      mount --bind "$1" /usr/lib/locale || exit 99
    exec env -i PATH="$PATH" HOME="$HOME" LANG=C.UTF-8 VELMORA_BUILD="$2" bash -c "
      source \"\$0\"
      ensure_packages || exit 98
      wine_env
      locale
    " "$3"' _ "$fresh" "$VELMORA_BUILD" "$VELMORA_ROOT/scripts/common.sh" >"$out" 2>"$err"
  local code=$? ok=0
  case $code in
    0) ;;
    99) echo "SKIPPED: the mount namespace cannot hide /usr/lib/locale"; return 0 ;;
    *) echo "the set-up ended with $code"; ok=1 ;;
  esac
  grep -q 'ja_JP.UTF-8... done' "$err" || { echo "the locale was not generated afresh"; ok=1; }
  if grep -iE 'warning|setlocale|cannot' "$err"; then
    echo "the set-up printed that above"
    ok=1
  fi
  grep -qx 'LC_CTYPE="ja_JP.UTF-8"' "$out" ||
    { echo "a program started afterwards has no Japanese locale:"; cat "$out"; ok=1; }
  return $ok
}

# The release made twice of the same build, the second time in another
# time zone and with another umask, is the same bytes; its exe and every
# entry carry the commit's time, and SHA256SUMS holds what was packed.
PackingTheSameBuildTwiceGivesTheSameBytesWithTheCommitsTime() {
  local first=$WORK/first-release dist=$VELMORA_ROOT/dist zip ok=0
  zip=$("$VELMORA_ROOT/scripts/package.sh" 2>"$WORK/package.log") ||
    { echo "the package command failed:"; cat "$WORK/package.log"; return 1; }
  mkdir -p "$first"
  cp "$zip" "$dist/SHA256SUMS" "$first/"
  (umask 077 && TZ=Asia/Tokyo "$VELMORA_ROOT/scripts/package.sh" >/dev/null 2>>"$WORK/package.log") ||
    { echo "the package command failed the second time:"; cat "$WORK/package.log"; return 1; }
  cmp "$first/${zip##*/}" "$zip" || { echo "the second zip differs from the first"; ok=1; }
  diff "$first/SHA256SUMS" "$dist/SHA256SUMS" || ok=1
  unzip -q -o "$zip" Velmora2.exe -d "$WORK" || return 1
  cp "$dist/SHA256SUMS" "$dist/${zip##*/}" "$WORK/"
  (cd "$WORK" && sha256sum --quiet -c SHA256SUMS) || { echo "SHA256SUMS does not match"; ok=1; }
  local commit stamp
  commit=$(git -C "$VELMORA_ROOT" log -1 --format=%ct)
  stamp=$(pe_time_stamp "$WORK/Velmora2.exe")
  [[ $stamp == "$commit" ]] || { echo "the exe's time stamp is $stamp, the commit's $commit"; ok=1; }
  # The zip keeps even seconds, rounded up.
  local times expected
  times=$(TZ=UTC zipinfo -T "$zip" | awk '/^[-d]/ { print $7 }' | sort -u)
  expected=$(TZ=UTC date -d "@$(((commit + 1) / 2 * 2))" +%Y%m%d.%H%M%S)
  [[ $times == "$expected" ]] || { echo "entry times $times, not the commit's $expected"; ok=1; }
  return $ok
}

run_case CtrlCInTheRunCommandEndsTheProgramLikeALogOffAndKeepsItsFiles
run_case AFreshlyGeneratedLocalePrintsNoWarningAndReachesThePrograms
run_case PackingTheSameBuildTwiceGivesTheSameBytesWithTheCommitsTime

{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo "<testsuites tests=\"3\" failures=\"$failures\" name=\"AllTests\">"
  echo "  <testsuite name=\"Scripts\" tests=\"3\" failures=\"$failures\">"
  printf '%s\n' "${report[@]}"
  echo "  </testsuite>"
  echo "</testsuites>"
} >"$RESULTS/scripts.xml"
((failures == 0))
