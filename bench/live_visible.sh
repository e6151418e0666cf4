#!/usr/bin/env bash
# Change to visible, whole process: the desktop program runs (offscreen, live updates on) over
# a generated tree that quillory-cli has scanned; a file is created, renamed into another
# folder and deleted, and after each change `quillory-cli search` asks the running program
# until its answer shows the change. Prints the median and the slowest of ROUNDS for each kind
# of change, the program's CPU for them, the program's start of watching (until a first change
# is visible) and its CPU over IDLE_SECONDS with nothing changing.
#
#   bench/live_visible.sh [WORKDIR] [COUNT]      (defaults: /tmp/qlvbench 1000000)
# Needs the desktop program (Qt 6, tools/install-deps.sh) besides cmake, ninja and g++.
#   ROUNDS=20, IDLE_SECONDS=60, SETTLE=1.5 (seconds before each change); BUILD=DIR uses that
#   Release build folder. The program's CPU for the rounds includes answering the polling
#   searches (one every few milliseconds).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/tmp/qlvbench}
count=${2:-1000000}
rounds=${ROUNDS:-20}
idle=${IDLE_SECONDS:-60}
settle=${SETTLE:-1.5}
mkdir -p "$work"
work=$(cd "$work" && pwd)
build=${BUILD:-$work/build}
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BENCH=ON -DBUILD_TESTING=OFF -DQUILLORY_DESKTOP=ON >/dev/null
cmake --build "$build" -j2 --target quillory-cli quillory quillory-search-bench >/dev/null
cli=$build/quillory-cli
app=$build/app/quillory
export XDG_DATA_HOME=$work/xdg XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

if [[ ! -f $work/live.qdb || $(cat "$work/count" 2>/dev/null) != "$count" ]]; then
    rm -rf "$work/tree" "$work/live.qdb"
    echo "generating $count entries under $work/tree ..."
    "$build/bench/quillory-search-bench" generate "$work/tree" "$count" --tree
    "$cli" --db "$work/live.qdb" scan --include "$work/tree" >/dev/null
    echo "$count" > "$work/count"
fi

now_us() { echo "${EPOCHREALTIME//[.,]/}"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Asks the running program until the count of NAME is WANTED; prints the milliseconds taken.
until_count() {
    local name=$1 wanted=$2 start=$3 got
    for ((i = 0; i < 20000; i++)); do
        got=$("$cli" search -c "$name" 2>/dev/null || true)
        [[ $got == "$wanted" ]] && { echo $((($(now_us) - start) / 1000)); return; }
    done
    echo "never"
}

program_pid=
stop_program() { [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null; true; }
trap stop_program EXIT
mkdir -p "$XDG_DATA_HOME/quillory" "$XDG_CONFIG_HOME/Marlowen"
cp "$work/live.qdb" "$XDG_DATA_HOME/quillory/index.dat"
printf '[Options]\nRescanOnStartup=0\nStartWindowsStarts=0\nMinimizeOnStartup=1\nLiveUpdates=1\n' \
    > "$XDG_CONFIG_HOME/Marlowen/Quillory.conf"
rm -f "$XDG_RUNTIME_DIR/TQuilloryForm1" "$XDG_RUNTIME_DIR/TQuilloryForm1.search"
start=$(now_us)
QT_QPA_PLATFORM=offscreen QUILLORY_PROMPTS=stderr "$app" > "$work/program.log" 2>&1 &
program_pid=$!
for ((i = 0; i < 300; i++)); do [[ -S $XDG_RUNTIME_DIR/TQuilloryForm1.search ]] && break; sleep 0.1; done

folders=($(find "$work/tree" -mindepth 2 -maxdepth 2 -type d | head -n 2))
probe=qlvprobe$$
touch "${folders[0]}/$probe.txt"
first=$(until_count "$probe.txt" 1 "$start")
rm "${folders[0]}/$probe.txt"
until_count "$probe.txt" 0 "$(now_us)" >/dev/null
rss=$(awk '/VmRSS/ {print $2 / 1024}' "/proc/$program_pid/status")
echo "entries: $count, folders: $(find "$work/tree" -type d | wc -l)"
echo "from the program's start to a first change visible: $first ms (load, start of watching); memory $rss MB"

created=() moved=() deleted=()
before=$(cpu_ticks "$program_pid")
for ((r = 0; r < rounds; r++)); do
    name=qlv$$x$r
    # Each change comes alone: batches go out at most once a second, so a change that follows
    # the last batch closely waits for the rest of that second (SETTLE=0 measures that case).
    sleep "$settle"; t=$(now_us); touch "${folders[0]}/$name.txt"; created+=($(until_count "$name.txt" 1 "$t"))
    sleep "$settle"; t=$(now_us); mv "${folders[0]}/$name.txt" "${folders[1]}/${name}m.txt"; moved+=($(until_count "${name}m.txt" 1 "$t"))
    until_count "$name.txt" 0 "$t" >/dev/null
    sleep "$settle"; t=$(now_us); rm "${folders[1]}/${name}m.txt"; deleted+=($(until_count "${name}m.txt" 0 "$t"))
done
after=$(cpu_ticks "$program_pid")
summary() { printf '%s\n' "${@:2}" | sort -n | awk -v label="$1" '{a[NR]=$1} END {printf "%-32s median %5d ms, slowest %5d ms\n", label, a[int((NR+1)/2)], a[NR]}'; }
echo "change to visible through quillory-cli search ($rounds rounds):"
summary "  created" "${created[@]}"
summary "  renamed into another folder" "${moved[@]}"
summary "  deleted" "${deleted[@]}"
echo "program CPU for the rounds: $(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", t / hz}') s"

sleep 5  # the last change's names are rebuilt first
before=$(cpu_ticks "$program_pid")
sleep "$idle"
after=$(cpu_ticks "$program_pid")
echo "program CPU over $idle s idle: $(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", t / hz}') s"
