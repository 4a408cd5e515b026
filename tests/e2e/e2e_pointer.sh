#!/usr/bin/env bash
# End to end: what the pointer finds on a real X server. Ctrl over the editor's picture shows the
# open hand at once, without a mouse move; the pinned window takes the keyboard when the pointer
# enters it and shows the resize cursor of the zone under the pointer.
# Usage: e2e_pointer.sh VELMORA CURSORNAME
set -u
velmora="$1"
cursorname="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1280x800 e2e-pointer
export VELMORA_STANDALONE=1
mkdir -p "$XDG_CONFIG_HOME/Velmora"
convert -size 600x400 gradient:'#FFB040-#E04060' "$work/sample.png"

cursor_is() { [ "$("$cursorname")" = "$1" ]; }
expect_cursor() { # name what → the cursor shown is `name`, within a second
    wait_for 1 cursor_is "$1" || fail "$2: the cursor is \"$("$cursorname")\", not \"$1\""
}

open_editor "$velmora" "$work/sample.png"

# 1. Ctrl over the picture (the arrow tool: a crosshair) and back, the pointer standing still.
read -r ex ey ew eh < <(client_area "$editor")
xdotool mousemove $((ex + ew / 2)) $((ey + eh / 2 + 20))
expect_cursor cross "over the picture"
xdotool keydown ctrl
expect_cursor openhand "Ctrl held over the picture"
xdotool keyup ctrl
expect_cursor cross "Ctrl released over the picture"

# 2. Pinned, with another window holding the keyboard and the pointer away from the pin.
xdotool key ctrl+p
other_window "$editor" || { fail "Ctrl+P showed no pinned window"; exit 1; }
pin="$found"
xdotool windowmove "$pin" 300 150
sleep 0.5
read -r px py pw ph < <(client_area "$pin")
show "$work/sample.png" other 20 600
xdotool mousemove 60 720
xdotool windowactivate --sync "$shown" 2>/dev/null
[ "$(xdotool getactivewindow)" = "$shown" ] || fail "the other window did not take the keyboard"

# The pointer onto the pin's bottom-right corner: no click, and the pin has the keyboard.
xdotool mousemove $((px + pw - 5)) $((py + ph - 5))
is_active() { [ "$(xdotool getactivewindow)" = "$1" ]; }
wait_for 1 is_active "$pin" || fail "the pinned window did not take the keyboard on hover"
expect_cursor size_fdiag "bottom-right corner"
for spot in "size_bdiag top-right $((px + pw - 4)) $((py + 4))" "size_hor left-edge $((px + 3)) $((py + ph / 2))" \
    "size_ver bottom-edge $((px + pw / 2)) $((py + ph - 3))" "left_ptr middle $((px + pw / 2)) $((py + ph / 2))"; do
    read -r name label x y <<<"$spot"
    xdotool mousemove "$x" "$y"
    expect_cursor "$name" "$label of the pinned window"
done

# Escape, sent to wherever the keyboard is, closes the pin.
xdotool key Escape
closed() { ! velmora_windows | grep -qx "$1"; }
wait_for 2 closed "$pin" || fail "Escape did not reach the hovered pinned window"
finish "e2e pointer"
