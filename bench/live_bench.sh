#!/usr/bin/env bash
# Live catalogue benchmark: a generated tree of COUNT entries watched by the live watcher, the
# catalogue applied on the driver's own thread as the window applies it. Prints the start of
# watching (wall time, memory), idle CPU, a burst of COUNT/10 creations and COUNT/20 deletions
# until the catalogue equals the expected entries (then compared with a fresh rescan), the
# latency from a single create, rename or delete to its entry (median of 20), the watches
# held against the budget, and the quick check of every folder with 1% of them changed next
# to a full rescan.
#
#   bench/live_bench.sh [WORKDIR] [COUNT]      (defaults: /tmp/qlbench 1000000)
#   IDLE_SECONDS=60 sets the idle measurement.
#
# The build runs at the lowest priority; the measurement at normal priority.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qlbench}
count=${2:-1000000}
idle=${IDLE_SECONDS:-60}
build=$work/build

mkdir -p "$work"
nice -n 19 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON \
    -DBUILD_TESTING=OFF -DQUILLORY_DESKTOP=OFF >/dev/null
nice -n 19 cmake --build "$build" -j2 --target quillory-search-bench quillory-live-bench >/dev/null

if [[ ! -d $work/tree || $(cat "$work/count" 2>/dev/null) != "$count" ]]; then
    rm -rf "$work/tree"
    echo "generating $count entries under $work/tree ..."
    "$build/bench/quillory-search-bench" generate "$work/tree" "$count" --tree
    echo "$count" > "$work/count"
fi

"$build/bench/quillory-live-bench" "$work/tree" "$idle"
