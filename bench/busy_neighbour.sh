#!/bin/sh
# Runs a benchmark with one core kept busy by another process, the usual state of a desktop:
# a mechanism that gains only while every processor is idle shows its loss here. The
# neighbour is a plain spinning shell; nothing is pinned, the system places it as it likes.
#
# usage: bench/busy_neighbour.sh COMMAND [ARGS...]
#   e.g. bench/busy_neighbour.sh bench/search_bench.sh /tmp/qsbench
set -u
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
sh -c 'while :; do :; done' &
neighbour=$!
trap 'kill "$neighbour" 2>/dev/null' EXIT INT TERM
"$@"
