#!/usr/bin/env bash
# Builds the benchmarks in Release, generates the voucher-line data, runs the
# store's benchmarks and the same operations on SQLite, and prints the results
# as a Markdown table.
#
#   scripts/bench.sh
#
# Environment:
#   QRX_BENCH_ROWS  lines to generate (default 1000000; 100000 for a quick run)
#   QRX_BENCH_DIR   data folder (default: a new temporary folder, removed at the end)
#   QRX_BENCH_KEEP  1 keeps the temporary data folder
#   QRX_BENCH_REPS  repetitions of each benchmark, the median reported (default 3)
#   QRX_BENCH_SYNC_LIMIT  seconds after which SQLite's synchronous per-row inserts stop (default 300)
#   QRX_BENCH_CHECK 0 skips checking the seven orders against the table after the appends
#
# The raw outputs (Google Benchmark JSON and console text) and results.md are
# left in build-bench/bench-results/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
rows=${QRX_BENCH_ROWS:-1000000}
out="$build/bench-results"

if [[ -n "${QRX_BENCH_DIR:-}" ]]; then
    data=$QRX_BENCH_DIR
    mkdir -p "$data"
    temporary=0
else
    data=$(mktemp -d "${TMPDIR:-/tmp}/qrx-bench.XXXXXX")
    temporary=1
fi
cleanup() {
    if [[ $temporary == 1 && ${QRX_BENCH_KEEP:-0} != 1 ]]; then rm -rf "$data"; fi
}
trap cleanup EXIT

echo "== build (Release) into $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQRX_BUILD_BENCH=ON -DQRX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target qrx_bench_gen qrx_bench_store qrx_bench_sqlite
mkdir -p "$out"
rm -f "$out"/*.json "$out"/*.txt "$out"/results.md

started=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== generate $rows lines into $data"
"$build/bench/qrx_bench_gen" "$data" "$rows" --sqlite | tee "$out/gen.txt"

echo "== this store"
QRX_BENCH_DIR="$data" "$build/bench/qrx_bench_store" \
    --benchmark_out="$out/store.json" --benchmark_out_format=json | tee "$out/store.txt"

echo "== SQLite $(sqlite3 --version | cut -d' ' -f1)"
QRX_BENCH_DIR="$data" "$build/bench/qrx_bench_sqlite" \
    --benchmark_out="$out/sqlite.json" --benchmark_out_format=json | tee "$out/sqlite.txt"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
echo
{
    awk -v rows="$rows" -v reps="${QRX_BENCH_REPS:-3}" -f "$root/bench/report.awk" "$out/store.json" "$out/sqlite.json" "$out/gen.txt"
    echo
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo);" \
        "load average before $load_before, after $load_after; SQLite $(sqlite3 --version | cut -d' ' -f1)."
} | tee "$out/results.md"
echo
echo "Total run time $(( $(date +%s) - started )) s (build excluded); outputs in $out"
