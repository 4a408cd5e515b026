#!/usr/bin/env bash
# Full-screen capture time on Wayland, whole process, on a headless sway desktop with the screenshot
# portals (scripts/wayland-session, run as nobody): `velmora full -o FILE` through
# xdg-desktop-portal and xdg-desktop-portal-wlr, against `grim FILE` reading the compositor
# directly. Prints the median and the fastest run in milliseconds. Not part of ctest; run as root.
# Usage: bench/bench_portal.sh [path/to/velmora] [runs] [WIDTHxHEIGHT]
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ "${1:-}" != "--inside" ]; then
    velmora="${1:-$root/build/src/app/velmora}"
    folder="$(mktemp -d /tmp/velmora-bench-portal.XXXXXX)"
    trap 'rm -rf "$folder"' EXIT
    cp "$velmora" "$folder/velmora"
    cp "$root/scripts/wayland-session" "${BASH_SOURCE[0]}" "$folder/"
    "$root/scripts/as-nobody" "$folder" --limit 600 bash "$folder/$(basename "${BASH_SOURCE[0]}")" --inside \
        "${2:-10}" "${3:-1920x1080}"
    exit $?
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
runs="$2"
size="$3"
work="$(mktemp -d)"
trap 'wayland_session_stop; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT
convert -size "$size" gradient:'#1d3b6a-#e39b5a' "$work/background.png"
source "$here/wayland-session" "$size" "$work/background.png"
export QT_QPA_PLATFORM=wayland VELMORA_STANDALONE=1 QT_LOGGING_RULES="qt.qpa.*=false"

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
time_runs() { # label command… (the output file is appended)
    local label="$1"
    shift
    "$@" "$work/warm.png" >/dev/null 2>&1 # warm the caches once
    : >"$work/times"
    for i in $(seq 1 "$runs"); do
        local start end
        start=$(now_ms)
        "$@" "$work/out-$i.png" >/dev/null 2>&1 || echo "$label: run $i failed" >&2
        end=$(now_ms)
        echo $((end - start)) >>"$work/times"
    done
    printf '%-32s median %5s ms   fastest %5s ms   (%s runs, %s)\n' "$label" "$(median <"$work/times")" \
        "$(sort -n "$work/times" | head -1)" "$runs" "$size"
}
time_runs "grim" grim
time_runs "velmora full -o (portal)" "$here/velmora" full -o
# Where one run's time goes (steps since the process started).
VELMORA_TIMING=1 "$here/velmora" full -o "$work/timed.png" 2>&1 >/dev/null | sed -n 's/^velmora timing: /  velmora /p'
