#!/usr/bin/env bash
# End to end: the tray instance in a headless session with a tray (trayer) and a private bus. One
# instance per session; the command line, the global shortcuts and the tray menu reach it;
# results are read back from the clipboard and the screen as independent readers see them.
set -u
velmora="$1"
keygrab="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1600x1000 e2e-shell
unset VELMORA_STANDALONE

convert -size 400x300 gradient:'#ff0000-#0000ff' \( -size 300x400 gradient:'#00ff00-#000000' -rotate 90 \) \
    -compose plus -composite "$work/known.png"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
convert -size 560x100 xc:white -font "$font" -pointsize 22 -fill '#202020' \
    -annotate +16+38 'Invoice number 1024' -annotate +16+78 'Paid on the first of May' "$work/text.png"

instances() { # velmora processes of this session (other sessions may run their own)
    local count=0
    for pid in $(pgrep -x velmora); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && count=$((count + 1))
    done
    echo "$count"
}
editor_window() { xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | while read -r w; do
    # The editor is the big one; pills share the title.
    [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {split($2, s, "x"); print (s[1] > 300)}')" = 1 ] && echo "$w"
done | head -1; }
has_editor() { [ -n "$(editor_window)" ]; }
# The instance's visible windows other than its tray icon, as "id WxH" lines.
instance_windows() {
    xdotool search --onlyvisible --pid "$instance" 2>/dev/null | while read -r w; do
        size="$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}')"
        [ "$size" != 22x22 ] && echo "$w $size"
    done
}
shows_notice() { instance_windows | grep -q .; }
shows_picker() { instance_windows | grep -q ' 1600x1000$'; }

show "$work/known.png" known 200 150
known="$shown"
show "$work/text.png" words 800 600
words="$shown"
sleep 0.3

# 1. Another program holds Ctrl+Shift+1 (key code 10, Shift|Control = 5) before Velmora starts.
"$keygrab" 10 5 >"$work/keygrab.out" &
pids+=($!)
wait_for 5 grep -q grabbed "$work/keygrab.out" || fail "keygrab did not take Ctrl+Shift+1"

"$velmora" >"$work/instance.log" 2>&1 &
instance=$!
pids+=($instance)
wait_for 10 grep -q "Shortcut registration failed: Ctrl+Shift+1" "$work/instance.log" ||
    { fail "the taken shortcut was not reported"; cat "$work/instance.log"; }
wait_for 5 shows_notice || fail "no notice on screen about the taken shortcut"

# 2. The tray icon docks in the tray.
panel="$(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}')"
wait_for 5 sh -c "xwininfo -tree -id '$panel' | grep -q '(\"velmora\" \"Velmora\")'" || fail "no icon in the tray"

# 3. A second start tells the first and leaves one instance.
"$velmora"
status=$?
[ "$status" = 0 ] || fail "a second start exited $status"
sleep 0.3
[ "$(instances)" = 1 ] || fail "$(instances) instances run"
kill -0 "$instance" 2>/dev/null || fail "the first instance ended"

# 4. Ctrl+Shift+2 opens the picker; a drag opens the editor on exactly those pixels.
import -window root "$work/screen.png"
read -r kx ky _ < <(client_area "$known")
xdotool key ctrl+shift+2
if wait_for 10 shows_picker; then
    sleep 0.3
    xdotool mousemove $((kx + 20)) $((ky + 30)) mousedown 1 mousemove $((kx + 100)) $((ky + 100)) \
        mousemove $((kx + 220)) $((ky + 190)) mouseup 1
    if wait_for 10 has_editor; then
        xdotool windowactivate --sync "$(editor_window)" 2>/dev/null
        xdotool key ctrl+c
        wait_for 10 clipboard_has_png
        xclip -selection clipboard -t image/png -o >"$work/copied.png" 2>/dev/null
        convert "$work/screen.png" -crop "200x160+$((kx + 20))+$((ky + 30))" +repage "$work/expected.png"
        same "$work/copied.png" "$work/expected.png" ||
            fail "the editor holds other pixels than the dragged ones ($(identify -format '%wx%h' "$work/copied.png" 2>&1))"
    else
        fail "no editor after the drag"
    fi
else
    fail "Ctrl+Shift+2 showed no picker"
fi
wait_for 5 sh -c '! xdotool search --onlyvisible --name "^Velmora\$" >/dev/null 2>&1' || true

# 5. Ctrl+Shift+3 over known text puts it on the clipboard, and the keyboard goes back to the
# window that had it.
xdotool windowactivate --sync "$words" 2>/dev/null
read -r wx wy _ < <(client_area "$words")
echo before | xclip -selection clipboard
xdotool key ctrl+shift+3
if wait_for 10 shows_picker; then
    sleep 0.3
    xdotool mousemove $((wx + 4)) $((wy + 4)) mousedown 1 mousemove $((wx + 200)) $((wy + 50)) \
        mousemove $((wx + 552)) $((wy + 94)) mouseup 1
    expected="$(printf 'Invoice number 1024\nPaid on the first of May')"
    wait_for 30 sh -c "[ \"\$(xclip -selection clipboard -o 2>/dev/null)\" != before ]"
    [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$expected" ] ||
        fail "the clipboard holds '$(xclip -selection clipboard -o 2>/dev/null)'"
    wait_for 5 sh -c "[ \"\$(xdotool getactivewindow 2>/dev/null)\" = '$words' ]" ||
        fail "the keyboard did not go back to the text window"
else
    fail "Ctrl+Shift+3 showed no picker"
fi

# 6. The command line reaches the instance: `full` opens an editor there and returns at once.
sleep 1.5 # the "Text copied" pill fades
import -window root "$work/before-full.png"
"$velmora" full
status=$?
[ "$status" = 0 ] || fail "velmora full exited $status"
wait_for 10 has_editor || fail "velmora full opened no editor"
[ "$(instances)" = 1 ] || fail "velmora full left $(instances) instances"

# The preferences window comes up in the instance, once however often it is asked for.
"$velmora" preferences && "$velmora" preferences
status=$?
[ "$status" = 0 ] || fail "velmora preferences exited $status"
if wait_for 10 test -n "$(xdotool search --onlyvisible --name '^Preferences$' 2>/dev/null | head -1)"; then
    [ "$(xdotool search --onlyvisible --name '^Preferences$' | wc -l)" = 1 ] || fail "more than one preferences window"
    [ "$(xdotool getwindowpid "$(xdotool search --onlyvisible --name '^Preferences$' | head -1)")" = "$instance" ] ||
        fail "the preferences window is not the instance's"
    xdotool windowunmap "$(xdotool search --onlyvisible --name '^Preferences$' | head -1)"
else
    fail "velmora preferences showed no window"
fi

# 7. Continue Last Edit brings back what was drawn: draw a rectangle, copy (which closes the
# editor), reopen from the tray menu and copy again: the same picture, rectangle and all.
copy_editor() { # file → the editor's picture, copied with Ctrl+C (which closes the editor)
    echo before | xclip -selection clipboard
    xdotool windowactivate --sync "$(editor_window)" 2>/dev/null
    xdotool key ctrl+c
    wait_for 10 clipboard_has_png
    xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null
}
wait_for 10 has_editor
editor="$(editor_window)"
if [ -n "$editor" ]; then
    xdotool windowactivate --sync "$editor" 2>/dev/null
    read -r ex ey _ < <(client_area "$editor")
    xdotool key r
    xdotool mousemove $((ex + 400)) $((ey + 300)) mousedown 1 mousemove $((ex + 500)) $((ey + 380)) \
        mousemove $((ex + 600)) $((ey + 450)) mouseup 1
    sleep 0.3
    copy_editor "$work/drawn.png"
    wait_for 5 sh -c '! xdotool search --onlyvisible --name "^Velmora\$" >/dev/null 2>&1' || fail "the editor did not close"
    [ "$(compare -metric AE "$work/drawn.png" "$work/before-full.png" null: 2>&1)" != 0 ] ||
        fail "the rectangle is not in the copied picture"
    icon="$(xdotool search --class velmora 2>/dev/null | while read -r w; do
        [ "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ {print $2}')" = 22x22 ] && echo "$w"; done | head -1)"
    read -r ix iy _ < <(client_area "$icon")
    xdotool mousemove $((ix + 10)) $((iy + 10)) click 1
    sleep 0.5
    # From the bottom: Quit, Check for Updates, Preferences, Continue Last Edit.
    xdotool key Up Up Up Up Return
    if wait_for 10 has_editor; then
        sleep 0.3
        copy_editor "$work/reopened.png"
        same "$work/drawn.png" "$work/reopened.png" || fail "the reopened editor differs from the one closed"
    else
        fail "Continue Last Edit opened no editor"
    fi
else
    fail "no editor to draw in"
fi

# 8. quit ends the instance.
"$velmora" quit
status=$?
[ "$status" = 0 ] || fail "velmora quit exited $status"
wait_for 10 sh -c "! kill -0 $instance 2>/dev/null" || fail "the instance did not end"
# A sanitizer build reports leaks and errors at exit, into the instance's log.
check_sanitizer "$work/instance.log"

[ "$failures" -eq 0 ] || cat "$work/instance.log"
finish "e2e shell"
