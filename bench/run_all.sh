#!/usr/bin/env bash
# Runs every benchmark program of a build and measures the launcher's idle CPU
# on the main screen under Xvfb, writing one report:
#   bench/run_all.sh [BUILD_DIR] [REPORT]      (defaults: build, BUILD_DIR/bench-report.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd)
report=${2:-$build/bench-report.txt}
: > "$report"
echo "machine: $(nproc) cores, $(free -g | awk '/Mem:/ { print $2 }') GiB, load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$report"

for bin in "$build"/bench/*_bench; do
    name=$(basename "$bin")
    echo "== $name" | tee -a "$report"
    # Scratch files of the benchmarks (archives, downloads) go to a folder of their own.
    work=$(mktemp -d)
    (cd "$work" && "$bin" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        --benchmark_counters_tabular=true 2>/dev/null) | grep -E "^(BM_|-|Benchmark)" | grep -v -E "_(mean|stddev|cv) " \
        | tee -a "$report"
    rm -rf "$work"
done

# Idle CPU of the real launcher on the main screen (greeting), 10 s under Xvfb.
echo "== idle CPU on the main screen (Xvfb, 10 s)" | tee -a "$report"
. "$root/scripts/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb
game=$(mktemp -d)
printf '$app_data_root$ = true| false| $fs_root$| appdata\\\r\n' > "$game/fsgame.ltx"
cp "$build/velmora-launcher" "$game/"
(cd "$game" && exec ./velmora-launcher) >/dev/null 2>&1 &
pid=$!
sleep 5
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep 10
t1=$(ticks)
kill -TERM "$pid"
wait "$pid" || true
rm -rf "$game"
awk -v a="$t0" -v b="$t1" -v hz="$hz" 'BEGIN { printf "idle CPU: %.1f %% of one core\n", (b - a) / hz / 10 * 100 }' | tee -a "$report"
echo "report: $report"
