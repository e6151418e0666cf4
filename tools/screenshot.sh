#!/bin/bash
# Makes doc/screenshot.png, the README's picture of the window after a search: a small
# sample tree is scanned into a private working database, the program runs on a virtual X
# server with a window manager, a search is typed into it, and the window is captured.
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT.png]     (defaults: build doc/screenshot.png)
#
# Needs: xvfb openbox imagemagick xdotool (apt-get install -y --no-install-recommends ...).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
output=${2:-$repo/doc/screenshot.png}
for tool in Xvfb openbox import xdotool; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done
work=$(mktemp -d /tmp/quillory-shot.XXXXXX)
cleanup() { kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
       XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME/Marlowen" "$XDG_DATA_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# A tree that looks like someone's home: music, photos, documents.
tree=$HOME/Documents
mkdir -p "$tree/Music/Live 2024" "$tree/Photos/2025/Summer" "$tree/Reports/2025" "$tree/Projects/garden"
for n in 01-Overture 02-Night-Train 03-Harbour-Lights 04-Finale; do
    head -c $((RANDOM * 40)) /dev/zero > "$tree/Music/Live 2024/$n.mp3"
done
for n in beach sunset harbour market; do head -c $((RANDOM * 20)) /dev/zero > "$tree/Photos/2025/Summer/$n.jpg"; done
for n in quarterly-report-q1 quarterly-report-q2 annual-report budget; do
    head -c $((RANDOM * 3)) /dev/zero > "$tree/Reports/2025/$n.pdf"
done
printf 'plan\n' > "$tree/Projects/garden/report-notes.txt"
"$build/quillory-cli" scan --include "$tree" >/dev/null 2>&1
printf '[Options]\nRescanOnStartup=0\nMinimizeOnStartup=0\nStartWindowsStarts=0\n' \
    > "$XDG_CONFIG_HOME/Marlowen/Quillory.conf"

fifo=$work/displayfd && mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 10 display <"$fifo"
export DISPLAY=:$display
unset QT_QPA_PLATFORM
openbox >/dev/null 2>&1 & wm=$!
"$build/app/quillory" >/dev/null 2>&1 & app=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Quillory' 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || { echo "the window did not appear" >&2; exit 1; }
xdotool windowsize "$window" 1000 560 windowactivate --sync "$window"
xdotool type --delay 30 'report'
xdotool key Return
sleep 1  # the list paints after the search
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
"$build/app/quillory" exit >/dev/null 2>&1 || true
echo "wrote $output"
