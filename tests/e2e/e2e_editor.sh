#!/usr/bin/env bash
# End to end: the real `velmora edit` in a headless X session, driven with xdotool. Draws a
# rectangle and an arrow, copies with Ctrl+C and reads the PNG back from the clipboard; saves with
# Ctrl+S into the configured save folder; pins with Ctrl+P and checks the process ends with the pin.
set -u
velmora="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1600x1000 e2e-editor
# Each command runs in its own process here: what is measured and checked is that process.
export VELMORA_STANDALONE=1
mkdir -p "$XDG_CONFIG_HOME/Velmora" "$work/saves"
printf '[General]\nsaveLocation=%s\n' "$work/saves" >"$XDG_CONFIG_HOME/Velmora/Velmora.conf"

# A plain green picture, easy to find on the screen.
convert -size 400x250 xc:'#00FF00' "$work/sample.png"

open_picture() { # the sample in a new editor process: $editor_pid, its window $editor, its log velmora.log
    open_editor "$velmora" "$work/sample.png"
    editor_pid="${pids[-1]}"
    # Where the picture is on the screen, and at what scale.
    import -window root "$work/screen.png"
    read -r gw gh gx gy < <(convert "$work/screen.png" -fill black +opaque '#00FF00' -trim \
        -format '%w %h %X %Y\n' info: | tr -d '+')
    scale=$(awk "BEGIN { print $gw / 400 }")
}

at() { # screen coordinates of a picture point
    awk "BEGIN { printf \"%d %d\", $gx + $1 * $scale, $gy + $2 * $scale }"
}

drag() { # x1 y1 x2 y2 in picture points
    read -r sx sy < <(at "$1" "$2")
    read -r ex ey < <(at "$3" "$4")
    xdotool mousemove "$sx" "$sy" mousedown 1 mousemove $((sx + 5)) $((sy + 5)) mousemove "$ex" "$ey" mouseup 1
    sleep 0.2
}

# 1. Draw, copy, read the clipboard back.
open_picture
xdotool key r
drag 100 80 300 200
xdotool key a
drag 60 220 340 40
xdotool key ctrl+c
wait_for 5 clipboard_has_png
xclip -selection clipboard -t image/png -o >"$work/copied.png" 2>/dev/null
if ! identify "$work/copied.png" >/dev/null 2>&1; then
    fail "the clipboard holds no PNG"
else
    size=$(identify -format '%wx%h' "$work/copied.png")
    [ "$size" = "400x250" ] || fail "copied image is $size, expected 400x250"
    read -r r g b < <(probe "$work/copied.png" 100 140)   # on the rectangle's left stroke
    { [ "$r" -gt 200 ] && [ "$g" -lt 120 ]; } || fail "no red stroke at (100,140): $r $g $b"
    read -r r g b < <(probe "$work/copied.png" 200 100)   # inside: untouched green
    { [ "$g" -gt 200 ] && [ "$r" -lt 60 ]; } || fail "rectangle interior changed at (200,100): $r $g $b"
    read -r r g b < <(probe "$work/copied.png" 200 130)   # on the arrow's shaft
    { [ "$r" -gt 200 ] && [ "$g" -lt 120 ]; } || fail "no arrow at (200,130): $r $g $b"
fi
# The editor closed, but the process serves the clipboard until someone else takes it.
kill -0 "$editor_pid" 2>/dev/null || fail "velmora stopped serving the clipboard"
echo replaced | xclip -selection clipboard
wait_exit "$editor_pid" 5 || fail "velmora kept running after losing the clipboard"
check_sanitizer "$work/velmora.log"

# 2. Ctrl+S writes a PNG into the save folder.
open_picture
xdotool key ctrl+s
wait_for 5 sh -c "ls '$work/saves'/Screenshot-*.png >/dev/null 2>&1"
saved=$(ls "$work/saves"/Screenshot-*.png 2>/dev/null | head -1)
if [ -z "$saved" ]; then
    fail "Ctrl+S wrote nothing into the save folder"
else
    [ "$(identify -format '%wx%h' "$saved")" = "400x250" ] || fail "saved image has the wrong size"
fi

if wait_exit "$editor_pid" 10; then check_sanitizer "$work/velmora.log"; else fail "velmora kept running after saving"; fi

# 3. Ctrl+P pins the picture; closing the pin with Escape ends the process.
open_picture
xdotool key ctrl+p
# The pin is the program's one visible window that is not the editor.
if ! other_window "$editor"; then
    fail "Ctrl+P showed no pinned window"
else
    pin="$found"
    kill -0 "$editor_pid" 2>/dev/null || fail "velmora ended while the pin was still up"
    xdotool windowactivate --sync "$pin" 2>/dev/null
    xdotool key --window "$pin" Escape
    if wait_exit "$editor_pid" 10; then
        check_sanitizer "$work/velmora.log"
    else
        fail "velmora kept running after its pinned window closed"
    fi
fi

finish "e2e editor"
