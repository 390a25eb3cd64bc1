#!/usr/bin/env bash
# Fuzzing of every parser of outside input (libFuzzer, clang, ASan + UBSan).
#   scripts/fuzz.sh [SECONDS]      builds the "fuzz" preset, runs each target SECONDS (default 20)
#   scripts/fuzz.sh long [RUNS]    runs each target for RUNS executions (default 1000000)
# Environment:
#   OLTREX_FUZZ_BUILD    build folder (default build/fuzz)
#   OLTREX_FUZZ_TARGETS  the targets to run, separated by blanks (default: all)
#   OLTREX_FUZZ_ARGS     further libFuzzer options for every target
#   OLTREX_SAMPLES       EU download samples added to the seeds (default ../shared/samples/ddd)
# The corpus grows in <build>/fuzz-corpus/<target> from run to run; inputs
# that break a target land in <build>/fuzz-findings/. Exit status 1 when a
# target found something, 2 when the build failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

mode="time"
amount="${1:-20}"
if [ "${1:-}" = "long" ]; then
  mode=runs
  amount="${2:-1000000}"
fi
case "$amount" in ''|*[!0-9]*) echo "fuzz.sh: '$amount' is not a number" >&2; exit 2 ;; esac

all_targets="key_info directory_entry classification descrambling secure_reencoding card_converter
  container_maker naming container_reader srecord version_file answer_decoder com_task pattern_match"
targets="${OLTREX_FUZZ_TARGETS:-$all_targets}"
build="${OLTREX_FUZZ_BUILD:-$root/build/fuzz}"
samples="${OLTREX_SAMPLES:-$root/../shared/samples/ddd}"

bash scripts/install-deps.sh
cmake --preset fuzz -B "$build" >/dev/null
build_targets=(oltrex-fuzz-seeds)
for t in $targets; do build_targets+=("fuzz_$t"); done
if ! cmake --build "$build" -j "$(nproc)" --target "${build_targets[@]}"; then
  echo "fuzz.sh: the fuzz build failed" >&2
  exit 2
fi
bin="$build/bin"

# A private scratch folder for the targets that work with files (on /dev/shm
# where possible); only this run's folder is removed afterwards.
scratch_parent=/dev/shm
[ -w "$scratch_parent" ] || scratch_parent="${TMPDIR:-/tmp}"
scratch="$(mktemp -d "$scratch_parent/oltrex-fuzz-run.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export OLTREX_FUZZ_TMP="$scratch"
export OLTREX_SAMPLES="$samples"

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$bin/oltrex-fuzz-seeds" "$seeds"
mkdir -p "$build/fuzz-findings" "$build/fuzz-logs"

if [ "$mode" = time ]; then
  limit=(-max_total_time="$amount")
  echo "== fuzzing each target for $amount s =="
else
  limit=(-runs="$amount")
  echo "== fuzzing each target for $amount executions =="
fi

# Raw EU download files are outside input to the classification and the
# card converter as they stand, too.
extra_dirs() {
  case "$1" in
    classification|card_converter) [ -d "$samples" ] && echo "$samples" ;;
  esac
  return 0
}

summary=()
failed=0
for t in $targets; do
  corpus="$build/fuzz-corpus/$t"
  mkdir -p "$corpus"
  log="$build/fuzz-logs/$t.log"
  dirs=("$corpus")
  [ -d "$seeds/$t" ] && dirs+=("$seeds/$t")
  while IFS= read -r d; do [ -n "$d" ] && dirs+=("$d"); done < <(extra_dirs "$t")
  start=$(date +%s)
  set +e
  # shellcheck disable=SC2086
  # Inputs of at most 4 KiB keep every target at thousands of runs a second;
  # the targets that need larger inputs make them from short ones.
  "$bin/fuzz_$t" "${dirs[@]}" "${limit[@]}" -max_len=4096 -timeout=25 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$t-" ${OLTREX_FUZZ_ARGS:-} >"$log" 2>&1
  status=$?
  set -e
  seconds=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs="${runs:-?}"
  rate="?"
  if [ "$runs" != "?" ] && [ "$seconds" -gt 0 ]; then rate=$(( runs / seconds )); fi
  files=$(find "$corpus" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="FINDING (status $status, log $log)"
    failed=1
    grep -m1 -E 'ERROR: |property violated|runtime error' "$log" >&2 || true
  fi
  summary+=("$(printf '%-18s %8s s %12s runs %9s/s %7s corpus  %s' "$t" "$seconds" "$runs" "$rate" "$files" "$result")")
  echo "${summary[-1]}"
done

echo
echo "== fuzzing summary =="
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "fuzz.sh: findings in $build/fuzz-findings" >&2
  exit 1
fi
