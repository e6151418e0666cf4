#!/bin/sh
# Times quillory-cli scan against find, bfs and the bare walk (two threads doing only the
# getdents64 + statx calls of a walk, bench/bare_walk_bench.cpp) on one generated tree, side by
# side in one run on a warm cache. Every command runs RUNS times (default 5), the commands
# taking turns so that other load on the machine falls on all of them alike; the figures are
# the median run's wall time and CPU time (user + system) and the peak memory.
#
# usage: bench/scan_bench.sh [WORKDIR] [ENTRIES]
#   WORKDIR  the Release build, the tree and the databases (default /tmp/qscanbench); a tree
#            already there with the same size is reused
#   ENTRIES  size of the tree (default 1000000)
# BUILD=DIR uses that build folder instead of WORKDIR/build (made Release there when missing).
# AB_ENV="NAME=VALUE ..." adds a rescan run with that environment, taking turns with the others:
# an A/B of a switch in one run.
# Needs: cmake, ninja, g++, python3, find; bfs when installed (apt-get install bfs).
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qscanbench}
entries=${2:-1000000}
runs=${RUNS:-5}
mkdir -p "$work"
work=$(cd "$work" && pwd)
build=${BUILD:-$work/build}
root="$work/tree"
export XDG_DATA_HOME="$work/data"  # the CLI's activity log stays here

# Built at the lowest priority, so that the build never disturbs a benchmark running beside it.
nice -n 19 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON \
    -DBUILD_TESTING=OFF -DQUILLORY_DESKTOP=OFF >/dev/null
nice -n 19 cmake --build "$build" -j2 --target quillory-cli quillory-bare-walk-bench >/dev/null
cli="$build/quillory-cli"
bare="$build/bench/quillory-bare-walk-bench"

if [ ! -f "$work/tree.done" ] || [ "$(cat "$work/tree.done")" != "$entries" ]; then
    rm -rf "$root"
    echo "generating $entries entries in $root ..."
    python3 "$repo/bench/make_tree.py" "$root" "$entries"
    echo "$entries" > "$work/tree.done"
fi
counted=$(find "$root" -mindepth 1 | wc -l)
echo "tree: $counted entries ($(find "$root" -mindepth 1 -type d | wc -l) folders)"

db="$work/bench.qdb"
fresh="$work/fresh.qdb"
fmt='%s %T@ %A@ %C@\n'
# Warm the cache and make the database the rescans start from.
rm -f "$db"
"$cli" --db "$db" scan --include "$root" 2>/dev/null
echo "database records: $("$cli" --db "$db" info | sed -n 's/^Records: //p'), bare walk items: $("$bare" "$root")"
uptime

python3 - "$runs" "$counted" "$cli" "$db" "$fresh" "$root" "$fmt" "$bare" "${AB_ENV:-}" <<'PY'
import os, shutil, statistics, subprocess, sys, time

runs, entries = int(sys.argv[1]), int(sys.argv[2])
cli, db, fresh, root, fmt, bare, ab_env = sys.argv[3:10]
commands = [
    ("quillory-cli scan (rescan of existing db)", [cli, "--db", db, "scan"], None),
]
if ab_env:
    commands.append((f"rescan with {ab_env}"[:45], ["env", *ab_env.split(), cli, "--db", db, "scan"], None))
commands += [
    ("quillory-cli scan (new db)", [cli, "--db", fresh, "scan", "--include", root], fresh),
    ("find -printf", ["find", root, "-printf", fmt], None),
]
if shutil.which("bfs"):
    commands.append(("bfs -printf", ["bfs", root, "-printf", fmt], None))
else:
    print("bfs is not installed: left out (apt-get install bfs)")
commands.append(("bare walk (2 threads, getdents64 + statx)", [bare, root], None))

# wall s, cpu s, user s, sys s, peak kB per run of each command; the commands take turns.
samples = {name: [] for name, _, _ in commands}
for _ in range(runs):
    for name, argv, remove in commands:
        if remove and os.path.exists(remove):
            os.remove(remove)
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        if status != 0:
            sys.exit(f"{name} failed with status {status}")
        samples[name].append((wall, usage.ru_utime + usage.ru_stime, usage.ru_utime, usage.ru_stime, usage.ru_maxrss))

median = {name: [statistics.median(run[i] for run in rows) for i in range(5)] for name, rows in samples.items()}
find_wall = median["find -printf"][0]
bare_cpu = median["bare walk (2 threads, getdents64 + statx)"][1]
print()
print(f"median of {runs} runs each; wall = elapsed time, cpu = user + system time")
print(f"{'command':45} {'wall s':>7} {'x find':>7} {'cpu s':>7} {'user s':>7} {'sys s':>7} {'x bare':>7} "
      f"{'entries/s':>11} {'peak MB':>8}")
for name, (wall, cpu, user, system, peak) in median.items():
    print(f"{name:45} {wall:7.3f} {wall / find_wall:7.2f} {cpu:7.3f} {user:7.3f} {system:7.3f} "
          f"{cpu / bare_cpu:7.2f} {entries / wall:11,.0f} {peak / 1024:8.0f}")
print()
print("goal for quillory-cli scan: cpu x bare <= 1.15, wall x find <= 0.55")
print()
print("every run (wall s / cpu s):")
for name, rows in samples.items():
    print(f"  {name:45} " + "  ".join(f"{w:.2f}/{c:.2f}" for w, c, *_ in rows))
PY
echo
echo "work folder: $work (remove it when done)"
