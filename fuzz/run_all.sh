#!/usr/bin/env bash
# Runs every fuzz target for N seconds on a copy of its committed seed corpus:
# fuzz/run_all.sh BUILD_DIR SECONDS. Any crash fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-60}
status=0
for src in "$here"/*_fuzz.cpp; do
    [ -e "$src" ] || continue
    name=$(basename "$src" .cpp)
    bin="$build/fuzz/$name"
    [ -x "$bin" ] || { echo "missing fuzz target $bin" >&2; status=1; continue; }
    work=$(mktemp -d)
    mkdir -p "$work/corpus" "$work/run"
    [ -d "$here/corpus/$name" ] && cp -a "$here/corpus/$name/." "$work/corpus/"
    echo "fuzz: $name for ${seconds}s"
    # Targets that touch the file system work inside their own scratch folder.
    # A single allocation may exceed the RSS limit: an LZMA entry's header can
    # ask liblzma for a 4 GiB dictionary, which is reserved but never touched;
    # what a run really uses stays bounded by -rss_limit_mb.
    if ! (cd "$work/run" && "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=8192 \
            -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1); then
        echo "fuzz: $name FAILED" >&2
        tail -n 60 "$work/log" >&2
        status=1
    else
        grep -E "stat::number_of_executed_units|Done" "$work/log" | tail -n 2 || true
    fi
    rm -rf "$work"
done
exit $status
