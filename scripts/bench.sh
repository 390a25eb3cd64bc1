#!/usr/bin/env bash
# All benchmarks in one command: builds the release preset's benchmarks, runs
# them one after another and prints one table, each goal beside its figure.
#   scripts/bench.sh
# Environment:
#   OLTREX_BENCH_BUILD   build folder (default build/release, the release preset's)
# The benchmarks' own output is kept in <build>/bench-logs/. Exit status 0
# when every benchmark ran (a missed goal is shown in the table, not failed).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="${OLTREX_BENCH_BUILD:-$root/build/release}"

benches=(bench_conversion transfer_bench bench_classification bench_eu_file bench_download_memory)

bash scripts/install-deps.sh >/dev/null
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${benches[@]}"
bin="$build/bin"
logs="$build/bench-logs"
mkdir -p "$logs"

failed=0
run() {  # name; runs bin/name, keeping its output
  echo "== $1 =="
  if ! "$bin/$1" --benchmark_color=false >"$logs/$1.log" 2>&1; then
    echo "bench.sh: $1 failed; see $logs/$1.log" >&2
    failed=1
  fi
  grep -v '|' "$logs/$1.log" | tail -n 4
}

for b in "${benches[@]}"; do run "$b"; done

# Rows from the summary lines of the container filing and the transfer.
yes_no() { awk -v a="$1" -v op="$2" -v b="$3" 'BEGIN { ok = (op == ">=") ? (a >= b) : (a <= b); print (ok ? "yes" : "NO") }'; }

rows=()
line=$(grep -m1 '^10 MiB vehicle unit, container mode:' "$logs/bench_conversion.log" || true)
if [ -n "$line" ]; then
  filing=$(sed -E 's/.*container mode: ([0-9.]+) MB\/s.*/\1/' <<<"$line")
  raw=$(sed -E 's/.*alone \(libcrypto\): ([0-9.]+) MB\/s.*/\1/' <<<"$line")
  ratio=$(sed -E 's/.*ratio ([0-9.]+).*/\1/' <<<"$line")
  rows+=("| Container filing of a 10 MiB vehicle unit vs AES-192-CBC alone | $filing MB/s vs $raw MB/s (ratio $ratio) | ratio >= 0.50 | $(yes_no "$ratio" ">=" 0.50) |")
else
  rows+=("| Container filing of a 10 MiB vehicle unit vs AES-192-CBC alone | (no result) | ratio >= 0.50 | NO |")
fi
rows+=("$(grep -h '^| Classification' "$logs/bench_classification.log" || echo '| Classification of a 10 MiB vehicle unit | (no result) | >= 500 MB/s | NO |')")
rows+=("$(grep -h '^| Card test' "$logs/bench_classification.log" || echo '| Card test and conversion of a generation-2 driver card | (no result) | <= 2 ms | NO |')")
rows+=("$(grep -h '^| EU file' "$logs/bench_eu_file.log" || echo '| EU file writing, 10 MiB vehicle unit | (no result) | >= 0.50 x the AES-192-CBC rate | NO |')")
line=$(grep -m1 '^transfer .* line-rate bound' "$logs/transfer_bench.log" || true)
if [ -n "$line" ]; then
  wall=$(sed -E 's/^transfer ([0-9.]+) s.*/\1/' <<<"$line")
  bound=$(sed -E 's/.*line-rate bound ([0-9.]+) s.*/\1/' <<<"$line")
  ratio=$(sed -E 's/.*ratio ([0-9.]+) .*/\1/' <<<"$line")
  cpu=$(sed -E 's/.*CPU ([0-9.]+) s.*/\1/' <<<"$line")
  share=$(sed -E 's/.* = ([0-9.]+) % of wall.*/\1/' <<<"$line")
  rows+=("| Firmware transfer (45096 bytes at 115200 baud) vs its line-rate bound | $wall s vs $bound s (ratio $ratio) | ratio <= 1.10 | $(yes_no "$ratio" "<=" 1.10) |")
  rows+=("| CPU time of the flashing process | $cpu s = $share % of the wall time | <= 5 % | $(yes_no "$share" "<=" 5) |")
else
  rows+=("| Firmware transfer (45096 bytes at 115200 baud) vs its line-rate bound | (no result) | ratio <= 1.10 | NO |")
  rows+=("| CPU time of the flashing process | (no result) | <= 5 % | NO |")
fi
rows+=("$(grep -h '^| Peak memory' "$logs/bench_download_memory.log" || echo '| Peak memory of the headless download of a 10 MiB file | (no result) | <= 64 MiB | NO |')")

echo
echo "| Benchmark | Figure | Goal | Met |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "Machine: $(nproc) cores, $(uname -m); release build; $(date -u +%Y-%m-%d)."
exit "$failed"
