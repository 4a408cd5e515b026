#!/usr/bin/env bash
# End to end on real pixels: a scrolling capture streamed through the ScreenCast portal and
# PipeWire on a headless sway desktop (scripts/wayland-session, run as nobody since sway refuses
# root). xdg-desktop-portal-wlr shares HEADLESS-1 without asking. A window scrolls a page of known
# rows with the wheel (sway's seat cursor); velmora-dev-capture scroll captures a rectangle of it
# for as long, without the HUD (a Wayland client cannot place its windows, and the HUD would take
# a tile from the page). The stitched picture must be the page's rows, contiguous, from its top
# to its end, pixel for pixel. The programs and scripts are copied to a folder nobody can read.
# Usage: e2e_scroll_sway.sh VELMORA_DEV_CAPTURE SCROLL_PAGE
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

if [ "${1:-}" != "--inside" ]; then
    for tool in sway swaymsg pipewire wireplumber setpriv /usr/libexec/xdg-desktop-portal \
        /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
    done
    [ "$(id -u)" = 0 ] || { echo "SKIP: needs root to run the desktop as nobody"; exit 0; }
    # xdg-desktop-portal-wlr (0.7) starts a cast only when the compositor offers DMA-BUF frames,
    # which the software renderer of a machine without a GPU never does (e2e_scroll_pipewire
    # covers the stream there).
    ls /dev/dri/renderD* >/dev/null 2>&1 || { echo "SKIP: no GPU render node for the desktop to cast with"; exit 0; }
    folder="$(mktemp -d /tmp/velmora-sway-scroll.XXXXXX)"
    trap 'rm -rf "$folder"' EXIT
    cp "$1" "$folder/velmora-dev-capture"
    cp "$2" "$folder/scroll_page"
    cp "$root/scripts/wayland-session" "${BASH_SOURCE[0]}" "$folder/"
    "$root/scripts/as-nobody" "$folder" --limit 100 bash "$folder/$(basename "${BASH_SOURCE[0]}")" --inside
    exit $?
fi

# As nobody, inside the copied folder.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
page_pid=""
trap '[ -n "$page_pid" ] && kill "$page_pid" 2>/dev/null; wayland_session_stop; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT

mkdir -p "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr"
printf '[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n' >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
source "$here/wayland-session" 1280x720
export QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="qt.qpa.*=false"

# The only window: sway gives it the whole output, so its viewport starts at the top left.
"$here/scroll_page" --show "$work/page.png" "$work/viewport.txt" >"$work/page.log" 2>&1 &
page_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/viewport.txt" ] && break
    sleep 0.05
done
[ -s "$work/viewport.txt" ] || { echo "FAIL: the page window did not appear"; cat "$work/page.log"; exit 1; }
read -r vx vy vw vh <"$work/viewport.txt"
page_width="$(identify -format %w "$work/page.png")"
[ "$vw" -gt "$page_width" ] && vw="$page_width"
# A few pixels inside the page, as a person would drag it.
x=$((vx + 8)) y=$((vy + 8)) w=$((vw - 16)) h=$((vh - 16))

"$here/velmora-dev-capture" scroll --geometry "${w}x${h}+${x}+${y}" --out "$work/out.png" --seconds 9 \
    >"$work/scroll.out" 2>"$work/scroll.log" &
capture_pid=$!
for _ in $(seq 1 300); do
    grep -q capturing "$work/scroll.out" && break
    kill -0 "$capture_pid" 2>/dev/null || break
    sleep 0.05
done
if grep -q capturing "$work/scroll.out"; then
    # The wheel over the page, until its end (a few clicks more change nothing).
    swaymsg -q seat seat0 cursor set $((vx + vw / 2)) $((vy + vh / 2))
    for _ in $(seq 1 36); do
        swaymsg -q seat seat0 cursor press button5
        swaymsg -q seat seat0 cursor release button5
        sleep 0.1
    done
    wait "$capture_pid"
    status=$?
    if [ "$status" = 0 ]; then
        cat "$work/scroll.out"
        "$here/scroll_page" --check "$work/out.png" "$work/page.png" || fail "the stitched image is not the page"
    else
        fail "the scrolling capture exited $status"
        cat "$work/scroll.log"
    fi
else
    fail "the stream gave no frame"
    kill "$capture_pid" 2>/dev/null
    cat "$work/scroll.log"
    # What the desktop's side said: the screencast backend and PipeWire.
    tail -n 15 "$_ws_dir/wlr.log" "$_ws_dir/pipewire.log" "$_ws_dir/wireplumber.log"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "e2e_scroll_sway: all checks passed"
