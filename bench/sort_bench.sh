#!/usr/bin/env bash
# Sorting the result list: 100,000 and 1,000,000 generated results by name and by size (and
# the other columns), as column clicks do, in-process. Every order is checked against
# CompareResults. For scale, the same run sorts the 100,000 names with one collation call
# per comparison (no keys) and sorts the generated names with GNU sort. GNU sort runs in
# C.UTF-8 (byte order), the only UTF-8 locale a bare machine has, so it does less work per
# comparison than a locale collation does.
#
#   bench/sort_bench.sh [WORKDIR]      (default: /tmp/qsortbench)
#
# "sort COLUMN (new sorter)" includes allocating the working memory; "click" lines reuse
# one ResultSorter as the window does, and include carrying the selection across the sort.
# "ranks:" is the time to sort the catalogue by all five columns (done once per catalogue
# state, on a worker); the "click ... (ranks ready)" lines sort the same results from those
# ranks, with the sorter readied after the search as the window does it, beside "(today)",
# the sort the window does without them. The 100,000 results are
# picked evenly from a 1,000,000-entry catalogue. The "click ... parts" lines split a click
# from the ranks (the first one of a fresh sorter, which pays the page faults of its working
# memory, and the one after it) into working out the order, moving the 64-byte entries into
# it and the catalogue indices following them, and show what carrying a selection of a third
# of the rows adds (the list view's own part of that is not measured here). The last line
# times moving 1,000,000 entries into a shuffled order on its own, its memory already in use.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qsortbench}
build=$work/build
mkdir -p "$work"
nice -n 19 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
nice -n 19 cmake --build "$build" -j2 --target quillory-sort-bench >/dev/null
bench=$build/bench/quillory-sort-bench
# The collation locale comes from ICU's data, so it needs no glibc locale installed.
locale=${SORT_BENCH_LOCALE:-en_US.UTF-8}

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

for n in 100000 1000000; do
    echo "== $n results"
    if [[ $n -le 100000 ]]; then
        LC_ALL=$locale "$bench" "$n" --reference --names "$work/names.txt" --catalogue 1000000
    else
        LC_ALL=$locale "$bench" "$n" --names "$work/names.txt"
    fi
    t=$(date +%s%N)
    LC_ALL=C.UTF-8 sort "$work/names.txt" >/dev/null
    echo "peer: GNU sort (C.UTF-8) of the same $n names: $(ms_since "$t") ms"
done
rm -f "$work/names.txt"
echo "== reordering"
"$bench" 1000000 --moves
