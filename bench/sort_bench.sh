#!/bin/sh
# Sorting the result list: 100,000 and 1,000,000 generated results by name and by size (and
# the other columns), as a column click does, with the same names sorted by GNU sort in the
# same run for scale. GNU sort here runs in the C.UTF-8 locale (byte order), the only UTF-8
# locale a bare machine has, so it does less work per comparison than a locale collation.
#
#   bench/sort_bench.sh [BUILD_DIR]     (default: build; the engine must be built there)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
cmake --build "$build" --target quillory-engine >/dev/null
bin="$build/sort-bench"
icu_flags=$(pkg-config --libs icu-i18n icu-uc 2>/dev/null || echo "-licui18n -licuuc -licudata")
${CXX:-g++} -std=c++20 -O2 -DNDEBUG -Wall -Wextra -Wpedantic -I"$here" "$here/bench/sort_bench.cpp" \
    "$build/libquillory-engine.a" $icu_flags -lpthread -o "$bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=${SORT_BENCH_LOCALE:-en_US.UTF-8}

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

for n in 100000 1000000; do
    echo "== $n results"
    if [ "$n" -le 100000 ]; then "$bin" "$n" --reference --names "$work/names.txt"
    else "$bin" "$n" --names "$work/names.txt"; fi
    t=$(date +%s%N); LC_ALL=C.UTF-8 sort "$work/names.txt" >/dev/null; echo "peer: GNU sort (C.UTF-8) names  $(ms_since "$t") ms"
done
