#!/usr/bin/env bash
# Kill test of the headless download:
#   scripts/kill-test.sh [KILLS] [SEED]      (defaults 100 and 1)
# Downloads demo keys with KeyFetch's console front end and kills it with
# SIGKILL at random moments (seeded), restarting it each time until the key
# holds no usable file; a new demo key follows until KILLS kills were made.
# Then every container is decrypted with the container reader and the content
# of every original file must be in at least one container. Prints the counts
# (kills, files, containers, duplicates, missing). Exit status 0 when nothing
# is missing, every container reads and the keys are empty.
# Environment:
#   OLTREX_BIN           folder of the built programs (else the release preset is built)
#   OLTREX_KILL_KEEP=1   keep the work folder for a look afterwards
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

kills_wanted="${1:-100}"
seed="${2:-1}"
for n in "$kills_wanted" "$seed"; do
  case "$n" in ''|*[!0-9]*) echo "kill-test: '$n' is not a number" >&2; exit 2 ;; esac
done

if [ -n "${OLTREX_BIN:-}" ]; then
  bin="$OLTREX_BIN"
else
  bash scripts/install-deps.sh >/dev/null
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" \
    --target oltrex-keytool KeyFetch oltrex-dlcreader keylink hime prove-kill-check
  bin="$root/build/release/bin"
fi
for program in oltrex-keytool KeyFetch oltrex-dlcreader prove-kill-check; do
  if [ ! -x "$bin/$program" ]; then
    echo "kill-test: $bin/$program is missing" >&2
    exit 2
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/oltrex-kill-test.XXXXXX")"
chmod 700 "$work"
if [ "${OLTREX_KILL_KEEP:-0}" = 1 ]; then
  echo "kill-test: work folder $work (kept)"
else
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/containers/EU" "$work/originals" "$work/tmp" "$work/logs"
cat > "$work/registry.ini" <<INI
[Software\\OLTREX\\Tachograph]
ContainerPath=$work/containers
InstTyp=
[Software\\OLTREX\\OLTREX-KEY]
MakeEU=1
NoDelete=0
Language=DE
INI

export OLTREX_REGISTRY="$work/registry.ini"
export TMPDIR="$work/tmp"       # KeyFetch's private work folders land here
export OLTREX_BOOTSIM_AUTOSTART=0

# The usable files still on a key (its logs and TREP files stay).
usable_on_key() {
  find "$1/files" -maxdepth 1 -type f ! -iname '*trep*' ! -iname '*oltrexlog*' | wc -l
}

now_ms() { date +%s%3N; }

# Still running (a process that has ended but is not yet waited for would
# take the signal without effect).
running() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

download() {  # key, log; runs KeyFetch in the background, sets $pid
  OLTREX_KEY="$1" "$bin/KeyFetch" --headless --start --make-eu --tick-ms 1 --display lines \
    --wait-seconds 30 >"$2" 2>&1 &
  pid=$!
}

# How long an undisturbed download of a demo key takes here: kill moments
# are spread over that time (and a little beyond).
calibration="$work/calibration"
"$bin/oltrex-keytool" demo "$calibration/key" --seed 999999 >/dev/null
mkdir -p "$calibration/containers"
sed "s|^ContainerPath=.*|ContainerPath=$calibration/containers|" "$work/registry.ini" >"$calibration/registry.ini"
start=$(now_ms)
OLTREX_REGISTRY="$calibration/registry.ini" OLTREX_KEY="$calibration/key" "$bin/KeyFetch" --headless --start \
  --make-eu --tick-ms 1 --display lines >"$work/logs/calibration.log" 2>&1 || {
  echo "kill-test: the undisturbed download failed:" >&2
  tail -20 "$work/logs/calibration.log" >&2
  exit 1
}
span_ms=$(( ( $(now_ms) - start ) * 6 / 5 + 20 ))
rm -rf "$calibration"
echo "kill-test: an undisturbed download takes about $(( span_ms * 5 / 6 )) ms; kills fall within ${span_ms} ms"

RANDOM="$seed"
kills=0 runs=0 rounds=0 failures=0
key="$work/key"
while :; do
  rounds=$((rounds + 1))
  rm -rf "$key"
  "$bin/oltrex-keytool" demo "$key" --seed $((seed * 1000 + rounds)) >/dev/null
  mkdir -p "$work/originals/round$rounds"
  cp "$key"/files/* "$work/originals/round$rounds/"

  while [ "$(usable_on_key "$key")" -gt 0 ]; do
    runs=$((runs + 1))
    log="$work/logs/run$runs.log"
    download "$key" "$log"
    if [ "$kills" -lt "$kills_wanted" ]; then
      delay=$(( (RANDOM * 32768 + RANDOM) % span_ms ))
      sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
      if running "$pid" && kill -KILL "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null || true
        kills=$((kills + 1))
        continue
      fi
    fi
    status=0
    wait "$pid" || status=$?
    if [ "$status" -ne 0 ]; then
      failures=$((failures + 1))
      echo "kill-test: run $runs ended with status $status:" >&2
      tail -5 "$log" >&2
      if [ "$failures" -ge 5 ]; then
        echo "kill-test: giving up after $failures failed runs" >&2
        exit 1
      fi
    fi
  done
  [ "$kills" -ge "$kills_wanted" ] && break
done

# Every container through the reader's command line as well.
reader_failures=0
while IFS= read -r -d '' container; do
  "$bin/oltrex-dlcreader" --quiet "$container" >/dev/null 2>&1 || reader_failures=$((reader_failures + 1))
done < <(find "$work/containers" -maxdepth 1 -type f ! -name '.*' -print0)

check_status=0
check="$("$bin/prove-kill-check" "$work/originals" "$work/containers")" || check_status=$?
eu_files=$(find "$work/containers/EU" -maxdepth 1 -type f ! -name '.*' | wc -l)
eu_leftovers=$(find "$work/containers/EU" -maxdepth 1 -type f -name '.*' | wc -l)
work_folders=$(find "$work/tmp" -mindepth 1 -maxdepth 1 -type d | wc -l)
left_on_key=$(usable_on_key "$key")

echo "$check" | grep -v '^files ' || true
counts=$(echo "$check" | grep '^files ' || echo "files ? containers ? duplicates ? missing ?")
echo "kill-test: kills $kills, runs $runs, keys $rounds; $counts"
echo "kill-test: EU files $eu_files, reader command failures $reader_failures, usable files left on the key $left_on_key," \
  "working files left in the EU folder $eu_leftovers, work folders left by killed runs $work_folders"
if [ "$check_status" -ne 0 ] || [ "$reader_failures" -ne 0 ] || [ "$left_on_key" -ne 0 ] || [ "$failures" -ne 0 ]; then
  echo "kill-test: FAILED" >&2
  exit 1
fi
echo "kill-test: passed"
