#!/usr/bin/env bash
# Search benchmark: a generated 1,000,000-entry tree shaped like a real disk, indexed both by
# Quillory (a database written by the generator) and by plocate (updatedb on the same tree).
# Prints the engine's own search times (in-process, cross-checked against a plain per-entry
# loop) and then whole-process times of quillory-cli search next to plocate -i for the same
# questions, in one run: reading the file (--from-file), and answered by a running quillory
# (started offscreen with the benchmark database as its working database) over its search
# channel.
#
#   bench/search_bench.sh [WORKDIR] [COUNT]      (defaults: /tmp/qsbench 1000000)
#
# Needs cmake, ninja, g++, plocate (apt-get install -y --no-install-recommends plocate) and,
# for the running-program column, the desktop program (Qt 6); without it that column is "-".
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qsbench}
count=${2:-1000000}
repeats=${REPEATS:-5}
build=$work/build

command -v plocate >/dev/null && command -v updatedb >/dev/null ||
    { echo "plocate is not installed (apt-get install -y --no-install-recommends plocate)" >&2; exit 2; }

mkdir -p "$work"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF -DQUILLORY_DESKTOP=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
bench=$build/bench/quillory-search-bench
cli=$build/quillory-cli
app=$build/app/quillory
export XDG_DATA_HOME=$work/xdg  # the CLI's activity log and the program's working database
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

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

# The clock is the shell's own (microseconds): forking `date` around a command would add its
# own start-up, a few milliseconds, to every figure.
median_ms() {
    local times=() start end
    for ((r = 0; r < repeats; r++)); do
        start=${EPOCHREALTIME//[.,]/}
        "$@" > /dev/null 2>&1 || true
        end=${EPOCHREALTIME//[.,]/}
        times+=($((10#$end - 10#$start)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]/1000}'
}

count_lines() { { "$@" 2>/dev/null || true; } | wc -l; }

compare() {
    local label=$1 quillory=$2 plocate=$3
    local -a q p
    eval "q=($quillory)"
    eval "p=($plocate)"
    local fms rms pms qn rn pn
    fms=$(median_ms "$cli" --db "$work/bench.qdb" search --from-file "${q[@]}")
    if [[ -n $program_pid ]]; then
        rms=$(median_ms "$cli" search "${q[@]}")
        rn=$(count_lines "$cli" search "${q[@]}")
    else
        rms=- rn=-
    fi
    pms=$(median_ms plocate -d "$work/plocate.db" "${p[@]}")
    qn=$(count_lines "$cli" --db "$work/bench.qdb" search --from-file "${q[@]}")
    pn=$(count_lines plocate -d "$work/plocate.db" "${p[@]}")
    printf '%-30s %9s %9s %10s %7s %7s %9s %9s %9s\n' "$label" "$fms" "$rms" "$pms" \
        "$(awk -v a="$fms" -v b="$pms" 'BEGIN {printf "%.2f", a / b}')" \
        "$(awk -v a="$rms" -v b="$pms" 'BEGIN {if (a == "-") print "-"; else printf "%.2f", a / b}')" \
        "$qn" "$rn" "$pn"
}

# The running program: the benchmark database is its working database; it is ended at exit.
program_pid=
stop_program() { [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null; true; }
trap stop_program EXIT
if [[ -x $app ]]; then
    mkdir -p "$XDG_DATA_HOME/quillory" "$XDG_CONFIG_HOME/Marlowen"
    cp "$work/bench.qdb" "$XDG_DATA_HOME/quillory/index.dat"
    # Live updates off: the generated database's dates are made up, so a watcher would start
    # by listing every folder again, beside the searches measured here (bench/live_visible.sh
    # measures the program with them on).
    printf '[Options]\nRescanOnStartup=0\nStartWindowsStarts=0\nMinimizeOnStartup=1\nLiveUpdates=0\n' \
        > "$XDG_CONFIG_HOME/Marlowen/Quillory.conf"
    rm -f "$XDG_RUNTIME_DIR/TQuilloryForm1" "$XDG_RUNTIME_DIR/TQuilloryForm1.search"
    QT_QPA_PLATFORM=offscreen QUILLORY_PROMPTS=stderr "$app" > "$work/program.log" 2>&1 &
    program_pid=$!
    for ((i = 0; i < 300; i++)); do [[ -S $XDG_RUNTIME_DIR/TQuilloryForm1.search ]] && break; sleep 0.1; done
    [[ -S $XDG_RUNTIME_DIR/TQuilloryForm1.search ]] || { echo "quillory did not start (see $work/program.log)" >&2; exit 2; }
    sleep 5  # the program builds its name cache after the load; meanwhile it declines
fi

# The full path of one entry of the tree (without blanks or quotes), for the full-path question.
full_path=$("$cli" --db "$work/bench.qdb" search --from-file --limit 0 data 2>/dev/null | grep -E '^[A-Za-z0-9/._-]+$' | head -n 1 || true)

echo
echo "== whole process: quillory-cli search reading the file, with the program running, and plocate -i"
echo "   (median of $repeats runs, output to /dev/null; ratios against plocate) =="
printf '%-30s %9s %9s %10s %7s %7s %9s %9s %9s\n' "question" "file ms" "prog. ms" "plocate ms" \
    "file/pl" "prog/pl" "file hits" "prog hits" "pl. hits"
compare "name, rare word" "--limit 0 quarterly" "-i -b quarterly"
compare "name, common word" "--limit 0 data" "-i -b data"
compare "name, common word, 10000" "data" "-i -b -l 10000 data"
compare "whole word" "--limit 0 --whole-words report" "-i -b --regex '(^|[^[:alnum:]])report([^[:alnum:]]|\$)'"
compare "wildcard *.mp3" "--limit 0 '*.mp3'" "-i -b '*.mp3'"
compare "full-path substring" "--limit 0 --full-path photos" "-i photos"
compare "a full path" "--limit 0 --full-path \"$full_path\"" "-i \"$full_path\""
compare "4 terms (plocate: 2 ANDed)" "--limit 0 -- report '+\"final\"' '-\"copy\"' '-\"pdf\"'" "-i -b report final"
compare "no match" "--limit 0 zqxj" "-i -b zqxj"
echo
echo "hit counts differ where the questions differ: plocate also lists the tree's root, has no"
echo "AND NOT, and its whole-word row is an approximating regular expression."
