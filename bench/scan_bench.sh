#!/bin/sh
# Times quillory-cli scan against find and bfs on one generated tree, side by side in one run
# on a warm cache, and reports entries per second and peak memory.
#
# usage: bench/scan_bench.sh [QUILLORY_CLI] [ENTRIES] [WORK_FOLDER]
#   QUILLORY_CLI  built quillory-cli (default: build/quillory-cli)
#   ENTRIES       size of the tree (default 1000000)
#   WORK_FOLDER   where the tree and databases go (default: a new folder under /tmp); a tree
#                 already there with the same size is reused
# Needs: python3, find, bfs, hyperfine, /usr/bin/time (apt-get install bfs hyperfine time).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../build/quillory-cli}")
entries=${2:-1000000}
work=${3:-$(mktemp -d /tmp/quillory-bench-XXXXXX)}
mkdir -p "$work"
root="$work/tree"
export XDG_DATA_HOME="$work/data"

if [ ! -f "$work/tree.done" ] || [ "$(cat "$work/tree.done")" != "$entries" ]; then
    rm -rf "$root"
    echo "generating $entries entries in $root ..."
    python3 "$here/make_tree.py" "$root" "$entries"
    echo "$entries" > "$work/tree.done"
fi
counted=$(find "$root" -mindepth 1 | wc -l)
echo "tree: $counted entries ($(find "$root" -mindepth 1 -type d | wc -l) folders)"

db="$work/bench.qdb"
fresh="$work/fresh.qdb"
fmt='%s %T@ %A@ %C@\n'
uptime
# Warm the cache and make the database the rescans start from.
"$cli" --db "$db" scan --include "$root" 2>/dev/null
find "$root" -printf "$fmt" >/dev/null
echo "database records: $("$cli" --db "$db" info | sed -n 's/^Records: //p')"

hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$work/times.json" \
    -n "quillory-cli scan (rescan of existing db)" "$cli --db $db scan 2>/dev/null" \
    -n "quillory-cli scan (new db)" --prepare "rm -f $fresh" "$cli --db $fresh scan --include $root 2>/dev/null" \
    -n "find -printf" "find $root -printf '$fmt' >/dev/null" \
    -n "bfs -printf" "bfs $root -printf '$fmt' >/dev/null"

python3 - "$work/times.json" "$counted" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))["results"]
entries = int(sys.argv[2])
find = next(r for r in data if r["command"] == "find -printf")
find_cpu = find["user"] + find["system"]
print()
print("wall = elapsed time (mean of the runs); cpu = user + system time, which other load on the")
print("machine disturbs less than the wall time")
print(f"{'command':45} {'wall s':>7} {'x find':>7} {'cpu s':>7} {'x find':>7} {'entries/s':>11}")
for r in data:
    cpu = r["user"] + r["system"]
    print(f"{r['command']:45} {r['mean']:7.3f} {r['mean'] / find['mean']:7.2f} {cpu:7.3f} {cpu / find_cpu:7.2f} "
          f"{entries / r['mean']:11,.0f}")
PY

echo
echo "peak memory (maximum resident set size):"
peak() {
    label=$1
    shift
    /usr/bin/time -v "$@" 2>"$work/time.txt" >/dev/null || true
    printf '  %-45s %s kB\n' "$label" "$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")"
}
peak "quillory-cli scan (rescan of existing db)" "$cli" --db "$db" scan
rm -f "$fresh"
peak "quillory-cli scan (new db)" "$cli" --db "$fresh" scan --include "$root"
peak "find -printf" find "$root" -printf "$fmt"
peak "bfs -printf" bfs "$root" -printf "$fmt"
echo
echo "work folder: $work (remove it when done)"
