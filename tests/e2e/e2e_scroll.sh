#!/usr/bin/env bash
# End to end: the real `velmora scroll -o FILE` in a headless X session over a window that scrolls a
# page of known rows. The region is dragged over the page, Start pressed on the HUD, the page scrolled
# to its end with the wheel, Stop pressed; the written image must be the page's rows, contiguous.
# With VELMORA_SHOTS set to a folder, a screenshot taken while capturing is kept there.
set -u
velmora="$1"
page_program="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1280x800 e2e-scroll

"$page_program" --show "$work/page.png" "$work/viewport.txt" >"$work/page.log" 2>&1 &
pids+=($!)
wait_for 5 test -s "$work/viewport.txt" || { echo "FAIL: the page window did not appear"; cat "$work/page.log"; exit 1; }
read -r vx vy vw vh <"$work/viewport.txt"

named() { found="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)"; [ -n "$found" ]; }
wait_window() { wait_for 10 named "$1"; } # name → window id in $found (or empty after 10 s)
press_on_hud() { # key
    xdotool windowactivate --sync "$hud" 2>/dev/null
    xdotool key "$1"
}

"$velmora" scroll -o "$work/out.png" 2>"$work/scroll.log" &
velmora_pid=$!
pids+=($velmora_pid)
# The picker covers the screen once it shows; drag a rectangle a few pixels inside the viewport.
wait_for 10 shows_window "$velmora_pid"
sleep 0.3
x0=$((vx + 8)) y0=$((vy + 8)) x1=$((vx + vw - 8)) y1=$((vy + vh - 8))
xdotool mousemove "$x0" "$y0" mousedown 1 mousemove $(((x0 + x1) / 2)) $(((y0 + y1) / 2)) mousemove "$x1" "$y1" mouseup 1

if wait_window "Velmora scrolling capture"; then
    hud="$found"
    sleep 0.3
    press_on_hud Return
    sleep 0.4
    # Scroll with the wheel over the page until its end (a few clicks more change nothing).
    xdotool mousemove $((vx + vw / 2)) $((vy + vh / 2))
    for i in $(seq 1 45); do
        xdotool click 5
        sleep 0.12
        if [ "$i" = 12 ] && [ -n "${VELMORA_SHOTS:-}" ]; then
            mkdir -p "$VELMORA_SHOTS"
            import -window root "$VELMORA_SHOTS/scroll-hud.png"
        fi
    done
    sleep 0.5
    press_on_hud Return
    if wait_exit "$velmora_pid" 20; then
        [ "$status" = 0 ] || { fail "velmora scroll exited $status"; cat "$work/scroll.log"; }
        "$page_program" --check "$work/out.png" "$work/page.png" || fail "the stitched image is not the page"
        [ -n "${VELMORA_SHOTS:-}" ] && cp "$work/out.png" "$VELMORA_SHOTS/scroll-out.png"
    else
        fail "velmora scroll did not finish after Stop"
        cat "$work/scroll.log"
    fi
else
    fail "no scrolling capture HUD appeared"
    cat "$work/scroll.log"
fi

# Escape on the HUD cancels: exit status 1, nothing written.
"$velmora" scroll -o "$work/cancel.png" 2>"$work/cancel.log" &
velmora_pid=$!
pids+=($velmora_pid)
sleep 0.8
xdotool mousemove $((vx + 20)) $((vy + 20)) mousedown 1 mousemove $((vx + 200)) $((vy + 150)) mouseup 1
if wait_window "Velmora scrolling capture"; then
    hud="$found"
    sleep 0.2
    press_on_hud Escape
    wait_exit "$velmora_pid" 20
    [ "$status" = 1 ] || fail "a cancelled scroll exited $status"
    [ ! -e "$work/cancel.png" ] || fail "a cancelled scroll wrote a file"
else
    fail "no HUD for the cancel case"
fi

finish "e2e scroll"
