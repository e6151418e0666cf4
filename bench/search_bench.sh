#!/usr/bin/env bash
# Search benchmark: a generated 1,000,000-entry tree shaped like a real disk, indexed both by
# Quillory (a database written by the generator) and by plocate (updatedb on the same tree).
# Prints the engine's own search times (in-process, cross-checked against a plain per-entry
# loop) and then whole-process times of quillory-cli search next to plocate -i for the same
# questions, in one run.
#
#   bench/search_bench.sh [WORKDIR] [COUNT]      (defaults: /tmp/qsbench 1000000)
#
# Needs cmake, ninja, g++ and plocate (apt-get install -y --no-install-recommends plocate).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qsbench}
count=${2:-1000000}
repeats=${REPEATS:-5}
build=$work/build

command -v plocate >/dev/null && command -v updatedb >/dev/null ||
    { echo "plocate is not installed (apt-get install -y --no-install-recommends plocate)" >&2; exit 2; }

mkdir -p "$work"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF -DQUILLORY_DESKTOP=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
bench=$build/bench/quillory-search-bench
cli=$build/quillory-cli
export XDG_DATA_HOME=$work/xdg  # the CLI's activity log stays here

if [[ ! -f $work/bench.qdb || $(cat "$work/count" 2>/dev/null) != "$count" ]]; then
    rm -rf "$work/tree" "$work/bench.qdb" "$work/plocate.db"
    echo "generating $count entries under $work/tree ..."
    "$bench" generate "$work/tree" "$count" --tree --db "$work/bench.qdb"
    updatedb -l 0 -U "$work/tree" -o "$work/plocate.db"
    echo "$count" > "$work/count"
fi
# Warm the page cache for both databases.
cat "$work/bench.qdb" "$work/plocate.db" > /dev/null

echo
echo "== search engine, in-process (median of 9; the first search builds the name cache) =="
"$bench" time "$work/bench.qdb" 9

median_ms() {
    local times=() start end
    for ((r = 0; r < repeats; r++)); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

count_lines() { { "$@" 2>/dev/null || true; } | wc -l; }

compare() {
    local label=$1 quillory=$2 plocate=$3
    local -a q p
    eval "q=($quillory)"
    eval "p=($plocate)"
    local qms pms qn pn
    qms=$(median_ms "$cli" --db "$work/bench.qdb" search "${q[@]}")
    pms=$(median_ms plocate -d "$work/plocate.db" "${p[@]}")
    qn=$(count_lines "$cli" --db "$work/bench.qdb" search "${q[@]}")
    pn=$(count_lines plocate -d "$work/plocate.db" "${p[@]}")
    printf '%-30s %10s %10s %7s %9s %9s\n' "$label" "$qms" "$pms" \
        "$(awk -v a="$qms" -v b="$pms" 'BEGIN {printf "%.2f", a / b}')" "$qn" "$pn"
}

echo
echo "== whole process: quillory-cli search vs plocate -i (median of $repeats runs, output to /dev/null) =="
printf '%-30s %10s %10s %7s %9s %9s\n' "question" "cli ms" "plocate ms" "ratio" "cli hits" "pl. hits"
compare "name, rare word" "--limit 0 quarterly" "-i -b quarterly"
compare "name, common word" "--limit 0 data" "-i -b data"
compare "name, common word, 10000" "data" "-i -b -l 10000 data"
compare "whole word" "--limit 0 --whole-words report" "-i -b --regex '(^|[^[:alnum:]])report([^[:alnum:]]|\$)'"
compare "wildcard *.mp3" "--limit 0 '*.mp3'" "-i -b '*.mp3'"
compare "full-path substring" "--limit 0 --full-path photos" "-i photos"
compare "4 terms (plocate: 2 ANDed)" "--limit 0 -- report '+\"final\"' '-\"copy\"' '-\"pdf\"'" "-i -b report final"
compare "no match" "--limit 0 zqxj" "-i -b zqxj"
echo
echo "hit counts differ where the questions differ: plocate also lists the tree's root, has no"
echo "AND NOT, and its whole-word row is an approximating regular expression."
