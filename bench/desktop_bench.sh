#!/usr/bin/env bash
# Desktop benchmark: the main window offscreen over the search benchmark's generated
# 1,000,000-entry database. Prints start-up to the window shown, the status bar's search time
# for a rare and a common word, header clicks that sort every result, and resident memory.
#
#   bench/desktop_bench.sh [WORKDIR] [COUNT]      (defaults: /tmp/qdbench 1000000)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qdbench}
count=${2:-1000000}
build=$work/build

mkdir -p "$work"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
export XDG_DATA_HOME=$work/xdg XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

if [[ ! -f $work/bench.qdb || $(cat "$work/count" 2>/dev/null) != "$count" ]]; then
    echo "generating $count entries ..."
    "$build/bench/quillory-search-bench" generate "$work/tree" "$count" --db "$work/bench.qdb"
    echo "$count" > "$work/count"
fi
cat "$work/bench.qdb" > /dev/null  # warm the page cache

echo "== desktop program, $QT_QPA_PLATFORM platform =="
"$build/bench/quillory-desktop-bench" "$work/bench.qdb" "${REPEATS:-5}"
