#!/usr/bin/env bash
# The tray instance in a 1920×1080 Xvfb session with a tray (trayer):
#  - start → tray icon docked (launch until the icon's window sits in the tray);
#  - a second `velmora` (tells the running instance and returns);
#  - Ctrl+Shift+2 → region picker on screen (key sent until the overlay is mapped and visible);
#  - resident memory of the instance once idle after an editor has opened and closed, against
#    flameshot's tray daemon after one capture when flameshot is installed.
# Prints medians in milliseconds and memory in MiB. Not part of ctest.
# Usage: bench/bench_shell.sh [path/to/velmora] [runs]
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
velmora="${1:-$root/build/src/app/velmora}"
runs="${2:-10}"
source "$root/scripts/private-session" 1920x1080 bench-shell
unset VELMORA_STANDALONE

now() { date +%s%N; }
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ms() { echo $((($2 - $1) / 1000000)); }
panel="$(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}')"
docked() { xwininfo -tree -id "$panel" 2>/dev/null | grep -q '("velmora" "Velmora")'; }
# The picker's overlay covers the screen; the tray icon and pills are small.
visible_overlay() {
    xdotool search --onlyvisible --pid "$instance" 2>/dev/null | while read -r w; do
        xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 1920x1080' && echo "$w"
    done | grep -q .
}
rss_mib() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

dock=()
for _ in $(seq 1 "$runs"); do
    start=$(now)
    "$velmora" >"$work/instance.log" 2>&1 &
    instance=$!
    until docked; do sleep 0.002; done
    dock+=("$(ms "$start" "$(now)")")
    "$velmora" quit
    wait "$instance" 2>/dev/null
    instance=""
    while docked; do sleep 0.01; done
done
echo "start → tray icon docked: median $(printf '%s\n' "${dock[@]}" | median) ms (${dock[*]})"

VELMORA_TIMING=1 "$velmora" >"$work/instance.log" 2>&1 &
instance=$!
pids+=($instance)
until docked; do sleep 0.01; done
sleep 1
idle_before="$(rss_mib "$instance")"
second=()
for _ in $(seq 1 "$runs"); do
    start=$(now)
    "$velmora"
    second+=("$(ms "$start" "$(now)")")
done
echo "second velmora returns: median $(printf '%s\n' "${second[@]}" | median) ms (${second[*]})"

picker=()
for _ in $(seq 1 "$runs"); do
    start=$(now)
    xdotool key ctrl+shift+2
    for _ in $(seq 1 5000); do visible_overlay && break; sleep 0.002; done
    picker+=("$(ms "$start" "$(now)")")
    xdotool key Escape
    while visible_overlay; do sleep 0.01; done
    sleep 0.2
done
echo "Ctrl+Shift+2 → picker on screen, seen from outside (xdotool's own start and polling included): median $(printf '%s\n' "${picker[@]}" | median) ms (${picker[*]})"
inside="$(sed -n 's/^velmora timing: trigger to picker painted \([0-9.]*\) ms$/\1/p' "$work/instance.log")"
echo "Ctrl+Shift+2 → picker painted, inside the instance (press received → first frame painted): median $(echo "$inside" | median) ms ($(echo $inside))"

# Memory once idle after an editor opened and closed (the overlays' windows are let go after 60 s).
"$velmora" full
until xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; do sleep 0.05; done
sleep 1

xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^Velmora$' | head -1)" key Escape 2>/dev/null
sleep 65
echo "instance memory: $idle_before MiB after start, $(rss_mib "$instance") MiB idle after pickers and an editor opened and closed (it keeps the last capture for Continue Last Edit)"

if command -v flameshot >/dev/null; then
    flameshot >/dev/null 2>&1 &
    flame=$!
    sleep 2
    flameshot full -p "$work" >/dev/null 2>&1
    sleep 5
    daemon="$(pgrep -n -x flameshot)"
    echo "flameshot tray daemon: $(rss_mib "$daemon") MiB after one capture"
    kill "$flame" "$daemon" 2>/dev/null
else
    echo "flameshot: not installed, no comparison"
fi
