#!/usr/bin/env bash
# End to end through a real PipeWire: the scrolling capture's stream of the ScreenCast portal,
# read from a PipeWire daemon (with wireplumber linking the streams) on a private session bus.
# fake_screencast stands in for the desktop's portal and its screen, because the headless
# compositor here cannot cast (xdg-desktop-portal-wlr needs a GPU's buffers); it shows the page of
# e2e_scroll scrolling on a 640x480 monitor, in shared-memory buffers with padded rows and a crop.
# velmora-dev-capture scroll (the portal backend, offscreen Qt with that one screen) captures a
# rectangle of it while it scrolls; the stitched picture must be the page's rows, contiguous, from
# its top to its end, pixel for pixel, and the session must be closed afterwards. Once for each
# byte order the stand-in can send. Every process started here is ended by its id.
# Usage: e2e_scroll_pipewire.sh VELMORA_DEV_CAPTURE SCROLL_PAGE FAKE_SCREENCAST
set -u
source "$(dirname "${BASH_SOURCE[0]}")/private-bus.sh"
capture="$1"
page_program="$2"
fake="$3"
for tool in pipewire wireplumber dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-pipewire.XXXXXX")"
pids=()
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT
wait_line() { # file text → whether the file holds the text within 15 s
    for _ in $(seq 1 300); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# A bus that starts no service by itself: the desktop's own portal must not answer instead.
private_bus_config "$work"
private_bus_start "$work"
pids+=("$bus_pid")

pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do
    [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break
    sleep 0.05
done
wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)

# The page: written by the page program, which is then ended.
QT_QPA_PLATFORM=offscreen "$page_program" --show "$work/page.png" "$work/viewport.txt" >/dev/null 2>&1 &
page_pid=$!
wait_line "$work/viewport.txt" " "
kill "$page_pid" 2>/dev/null
wait "$page_pid" 2>/dev/null

cat >"$work/screens.json" <<'JSON'
{ "screens": [ { "name": "left", "x": 0, "y": 0, "width": 640, "height": 480, "logicalDpi": 96 } ] }
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$work/screens.json" QT_LOGGING_RULES="qt.qpa.*=false"
export VELMORA_PLATFORM=portal

for format in BGRx RGBx; do
    rm -f "$work/go" "$work/out.png"
    "$fake" "$work/page.png" 640x480 12 "$work/go" "$format" >"$work/fake.out" 2>"$work/fake.log" &
    fake_pid=$!
    pids+=($fake_pid)
    if ! wait_line "$work/fake.out" ready; then
        fail "$format: the stand-in portal did not start"
        cat "$work/fake.log"
        continue
    fi
    # A rectangle a few pixels inside the page, which fills the monitor's left 480 columns.
    "$capture" scroll --geometry 464x464+8+8 --out "$work/out.png" --seconds 7 >"$work/scroll.out" \
        2>"$work/scroll.log" &
    capture_pid=$!
    pids+=($capture_pid)
    if wait_line "$work/scroll.out" capturing; then
        touch "$work/go"
        wait "$capture_pid"
        status=$?
        if [ "$status" = 0 ]; then
            "$page_program" --check "$work/out.png" "$work/page.png" ||
                fail "$format: the stitched image is not the page"
            # Ending the stream on purpose is no failure to log.
            if grep -q "failed" "$work/scroll.log"; then
                fail "$format: a failure was logged"
                cat "$work/scroll.log"
            fi
        else
            fail "$format: the scrolling capture exited $status"
            cat "$work/scroll.log"
        fi
        wait_line "$work/fake.out" "^closed" || fail "$format: the ScreenCast session was not closed"
    else
        fail "$format: the stream gave no frame"
        cat "$work/scroll.log" "$work/fake.log"
        tail -n 20 "$work/wireplumber.log"
        kill "$capture_pid" 2>/dev/null
    fi
    kill "$fake_pid" 2>/dev/null
    wait "$fake_pid" 2>/dev/null
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "e2e_scroll_pipewire: all checks passed"
