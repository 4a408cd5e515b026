#!/usr/bin/env bash
# The scrolling capture's screen stream on Wayland, measured through a real PipeWire daemon (with
# wireplumber) and fake_screencast standing in for the desktop's ScreenCast portal and screen (a
# 1920x1080 monitor scrolling a page at 30 frames a second; a headless desktop without a GPU cannot
# cast). For each grab rate: how long the stream took to become ready (the portal's four calls,
# PipeWire's connection and format, the first frame), how many grabs showed a new picture, how
# long a grab took, and how many frames PipeWire delivered. Not part of ctest.
# Usage: bench/bench_screencast.sh [BUILD] [SECONDS]
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/tests/portal/private-bus.sh"
build="${1:-$root/build}"
seconds="${2:-5}"
capture="$build/src/devtools/velmora-dev-capture"
fake="$build/tests/fake_screencast"
page_program="$build/tests/scroll_page"

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench-cast.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
wait_line() { for _ in $(seq 1 300); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done; return 1; }

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
private_bus_config "$work"
private_bus_start "$work"
pids+=("$bus_pid")
pipewire >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
wireplumber >/dev/null 2>&1 &
pids+=($!)

QT_QPA_PLATFORM=offscreen "$page_program" --show "$work/page.png" "$work/viewport.txt" >/dev/null 2>&1 &
page_pid=$!
wait_line "$work/viewport.txt" " "
kill "$page_pid"
wait "$page_pid" 2>/dev/null

cat >"$work/screens.json" <<'JSON'
{ "screens": [ { "name": "one", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96 } ] }
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$work/screens.json" VELMORA_PLATFORM=portal
export QT_LOGGING_RULES="qt.qpa.*=false;velmora.platform.debug=true"
touch "$work/go" # the page scrolls from the start, 4 rows a frame: for 11 s before its end

for rate in 12 60; do
    "$fake" "$work/page.png" 1920x1080 4 "$work/go" >"$work/fake.out" 2>/dev/null &
    fake_pid=$!
    pids+=($fake_pid)
    wait_line "$work/fake.out" ready
    echo "grabs at ${rate}/s for ${seconds} s, a 464x800 region:"
    "$capture" stream --geometry 464x800+8+8 --seconds "$seconds" --rate "$rate" 2>&1 | sed 's/^/  /'
    kill "$fake_pid"
    wait "$fake_pid" 2>/dev/null
done
exit 0
