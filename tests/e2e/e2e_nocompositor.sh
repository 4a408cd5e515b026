#!/usr/bin/env bash
# End to end: the windows with rounded corners on a plain X11 desktop, with no compositing manager.
# The pinned window and the pill are put over a known background and the screen is read back as
# the X server shows it: their corners must show what is behind them, not black boxes.
# Usage: e2e_nocompositor.sh VELMORA [SHOTS_FOLDER]
set -u
velmora="$1"
shots="${2:-}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1600x1000 e2e-nocompositor
export VELMORA_STANDALONE=1
mkdir -p "$XDG_CONFIG_HOME/Velmora"

# The desktop: one colour that is neither black nor anything Velmora draws.
background='#3CB4A0'
convert -size 1600x1000 xc:"$background" "$work/background.png"
display -window root "$work/background.png" >/dev/null 2>&1
convert -size 400x250 xc:'#FFD020' "$work/sample.png"

is_background() { # "r g b" → whether it is the desktop's colour (give or take rounding)
    read -r r g b <<<"$1"
    [ $((r - 60)) -ge -2 ] && [ $((r - 60)) -le 2 ] && [ $((g - 180)) -ge -2 ] && [ $((g - 180)) -le 2 ] &&
        [ $((b - 160)) -ge -2 ] && [ $((b - 160)) -le 2 ]
}
shows_background() { # file what x y … → every point shows the desktop's colour
    local file="$1" what="$2" colour
    shift 2
    while [ $# -ge 2 ]; do
        colour="$(probe "$file" "$1" "$2")"
        is_background "$colour" || fail "$what: ($1, $2) shows $colour, not the desktop"
        shift 2
    done
}
import -window root "$work/desktop.png"
is_background "$(probe "$work/desktop.png" 800 500)" || fail "the desktop background was not set"

# The editor, then its picture pinned with Ctrl+P.
open_editor "$velmora" "$work/sample.png"
xdotool key ctrl+p
other_window "$editor" || { fail "Ctrl+P showed no pinned window"; exit 1; }
pin="$found"
# Onto a part of the desktop where nothing else is.
xdotool windowmove "$pin" 40 40
sleep 0.5
read -r px py pw ph < <(client_area "$pin")
import -window root "$work/pinned.png"
[ -n "$shots" ] && convert "$work/pinned.png" -crop "$((pw + 40))x$((ph + 40))+$((px - 20))+$((py - 20))" +repage \
    "$shots/pinned-no-compositor.png"
shows_background "$work/pinned.png" "pinned window's corner" "$px" "$py" $((px + pw - 1)) "$py" "$px" $((py + ph - 1)) \
    $((px + pw - 1)) $((py + ph - 1)) $((px + 1)) $((py + 1))
# The window itself is there: its picture, up to the hairline along its straight edges.
for inside in "$((px + pw / 2)) $((py + ph / 2))" "$((px + pw / 2)) $((py + 1))" "$((px + 1)) $((py + ph / 2))"; do
    read -r x y <<<"$inside"
    colour="$(probe "$work/pinned.png" "$x" "$y")"
    read -r r g b <<<"$colour"
    { [ "$r" -gt 200 ] && [ "$g" -gt 170 ] && [ "$b" -lt 80 ]; } ||
        fail "pinned window shows $colour at ($x, $y), not its picture"
done

shaped() { ! xwininfo -shape -id "$1" | grep -q 'No window shape defined'; }
shaped "$pin" || fail "the pinned window has no shape without a compositor"

# Ctrl+C in the pin confirms with a pill for a moment.
xdotool windowactivate --sync "$pin" 2>/dev/null
xdotool key --window "$pin" ctrl+c
if ! other_window "$editor" "$pin"; then
    fail "Ctrl+C in the pinned window showed no pill"
else
    pill="$found"
    sleep 0.2 # its fade-in
    read -r lx ly lw lh < <(client_area "$pill")
    import -window root "$work/pill.png"
    [ -n "$shots" ] && convert "$work/pill.png" -crop "$((lw + 40))x$((lh + 40))+$((lx - 20))+$((ly - 20))" +repage \
        "$shots/pill-no-compositor.png"
    # What was there before the pill: the desktop, or the editor where it reaches that low.
    for corner in "$lx $ly" "$((lx + lw - 1)) $ly" "$lx $((ly + lh - 1))" "$((lx + lw - 1)) $((ly + lh - 1))" \
        "$((lx + 2)) $((ly + 2))"; do
        read -r x y <<<"$corner"
        colour="$(probe "$work/pill.png" "$x" "$y")"
        behind="$(probe "$work/desktop.png" "$x" "$y")"
        [ "$colour" = "$behind" ] || is_background "$colour" ||
            fail "pill's corner ($x, $y) shows $colour, not what is behind it ($behind)"
    done
    read -r r g b < <(probe "$work/pill.png" "$((lx + lw / 2))" "$((ly + lh - 2))")
    { [ "$r" -lt 60 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ]; } || fail "the pill is not dark: $r $g $b"
fi

# A compositor starting and stopping while the window is up: plainly translucent while it runs,
# cut to its outline again once it has gone (the watch asks every two seconds).
if command -v xcompmgr >/dev/null; then
    xcompmgr >"$work/xcompmgr.log" 2>&1 &
    compositor=$!
    pids+=($compositor)
    sleep 3
    shaped "$pin" && fail "the pinned window keeps its shape with a compositor"
    kill "$compositor"
    wait "$compositor" 2>/dev/null
    sleep 3
    shaped "$pin" || fail "the pinned window has no shape after the compositor stopped"
    import -window root "$work/again.png"
    shows_background "$work/again.png" "after the compositor stopped the pinned window's corner" "$px" "$py" \
        $((px + pw - 1)) $((py + ph - 1)) $((px + 1)) $((py + 1))
fi

xdotool key --window "$pin" Escape 2>/dev/null
finish "e2e no compositor"
