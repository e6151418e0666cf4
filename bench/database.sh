#!/bin/sh
# Save and load times of a 1,000,000-entry catalogue, and its memory per entry after a load.
#   bench/database.sh [entries]
set -eu
cd "$(dirname "$0")/.."
nice -n 19 cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
nice -n 19 cmake --build build-bench -j2 --target quillory-database-bench >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
./build-bench/bench/quillory-database-bench "${1:-1000000}" "$dir"
./build-bench/bench/quillory-database-bench memory "$dir"
