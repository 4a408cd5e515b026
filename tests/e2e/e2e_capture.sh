#!/usr/bin/env bash
# End to end: the real `velmora full|region|window|color|text` in a headless X session with a picture
# of known pixels on screen. Every result is compared with the screen as an independent reader
# (ImageMagick's `import -window root`) sees it. Overlays are driven with xdotool.
set -u
velmora="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tests/e2e/e2e_lib.sh" 1600x1000 e2e-capture
# Each command runs in its own process here: what is measured and checked is that process.
export VELMORA_STANDALONE=1

# Pictures whose every pixel differs from its neighbours, so that an offset of one shows.
convert -size 400x300 gradient:'#ff0000-#0000ff' \( -size 300x400 gradient:'#00ff00-#000000' -rotate 90 \) \
    -compose plus -composite "$work/known.png"
convert -size 1600x1000 gradient:'#203040-#c0a080' \( -size 1000x1600 gradient:'#000000-#404000' -rotate 90 \) \
    -compose plus -composite "$work/background.png"
convert -size 300x200 xc:'#ffff00' "$work/cover.png"
display -window root "$work/background.png"

show "$work/known.png" known 200 150
known="$shown"
sleep 0.3

hex_at() { # file x y → "#RRGGBB"
    convert "$1" -format "#%[hex:u.p{$2,$3}]" info: | cut -c1-7
}
wait_overlay() { wait_for 10 shows_window "$1"; } # pid → whether the program shows a window within 10 s

# 1. full -o equals the screen; region --geometry equals that crop.
import -window root "$work/screen.png"
"$velmora" full -o "$work/full.png" 2>"$work/full.log"
status=$?
[ "$status" = 0 ] || { fail "full -o exited $status"; cat "$work/full.log"; }
same "$work/full.png" "$work/screen.png" || fail "full -o differs from the screen"
check_sanitizer "$work/full.log"

"$velmora" region --geometry 300x200+250+180 -o "$work/geometry.png" 2>"$work/geometry.log"
status=$?
[ "$status" = 0 ] || { fail "region --geometry exited $status"; cat "$work/geometry.log"; }
convert "$work/screen.png" -crop 300x200+250+180 +repage "$work/geometry-expected.png"
same "$work/geometry.png" "$work/geometry-expected.png" || fail "region --geometry differs from the screen's crop"

# The countdown of --delay shows, and is gone from the picture taken after it.
"$velmora" full --delay 1 -o "$work/delayed.png" 2>"$work/delayed.log" &
pid=$!
pids+=($pid)
wait_overlay $pid || fail "no countdown appeared"
wait_exit $pid
[ "$status" = 0 ] || { fail "full --delay exited $status"; cat "$work/delayed.log"; }
same "$work/delayed.png" "$work/screen.png" || fail "the delayed capture differs from the screen"

# 2. A drag over the picker gives exactly the dragged pixels: press at (300,200), release at
# (500,380) takes 200×180 pixels from (300,200).
"$velmora" region -o "$work/drag.png" 2>"$work/drag.log" &
pid=$!
pids+=($pid)
if wait_overlay $pid; then
    xdotool mousemove 300 200 mousedown 1 mousemove 350 250 mousemove 500 380 mouseup 1
    wait_exit $pid
    [ "$status" = 0 ] || { fail "region drag exited $status"; cat "$work/drag.log"; }
    convert "$work/screen.png" -crop 200x180+300+200 +repage "$work/drag-expected.png"
    same "$work/drag.png" "$work/drag-expected.png" ||
        fail "the dragged region differs ($(identify -format '%wx%h' "$work/drag.png" 2>&1))"
else
    fail "no region picker appeared"
fi

# 3. Escape cancels: exit 1, nothing written.
"$velmora" region -o "$work/cancel.png" 2>"$work/cancel.log" &
pid=$!
pids+=($pid)
if wait_overlay $pid; then
    xdotool key Escape
    wait_exit $pid
    [ "$status" = 1 ] || fail "cancel exited $status"
    [ -e "$work/cancel.png" ] && fail "cancel wrote a file"
else
    fail "no picker appeared for the cancel"
fi

# 4. color prints and copies the clicked pixel.
"$velmora" color >"$work/color.out" 2>"$work/color.log" &
pid=$!
pids+=($pid)
if wait_overlay $pid; then
    xdotool mousemove 333 222 click 1
    wait_for 5 test -s "$work/color.out"
    expected="$(hex_at "$work/screen.png" 333 222)"
    [ "$(cat "$work/color.out")" = "$expected" ] || fail "color printed '$(cat "$work/color.out")', expected $expected"
    [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$expected" ] || fail "the clipboard does not hold $expected"
    # Serving the clipboard keeps the process; losing it ends the process.
    kill -0 $pid 2>/dev/null || fail "color stopped before the clipboard was taken"
    echo taken | xclip -selection clipboard
    wait_exit $pid
    [ "$status" = 0 ] || fail "color exited $status"
else
    fail "no colour picker appeared"
fi

# 4b. text reads a window of known text: printed, and on the clipboard.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
convert -size 560x100 xc:white -font "$font" -pointsize 22 -fill '#202020' \
    -annotate +16+38 'Quarterly report ready' -annotate +16+78 'Send 42 copies to Anna' "$work/text.png"
show "$work/text.png" words 900 600
read -r tx ty _ < <(client_area "$shown")
sleep 0.3
"$velmora" text >"$work/text.out" 2>"$work/text.log" &
pid=$!
pids+=($pid)
if wait_overlay $pid; then
    xdotool mousemove $((tx + 4)) $((ty + 4)) mousedown 1 mousemove $((tx + 200)) $((ty + 50)) \
        mousemove $((tx + 552)) $((ty + 94)) mouseup 1
    # Loading the recogniser takes a while on a busy machine.
    wait_for 30 sh -c "[ -s '$work/text.out' ] || ! kill -0 $pid 2>/dev/null"
    expected="$(printf 'Quarterly report ready\nSend 42 copies to Anna')"
    [ "$(cat "$work/text.out")" = "$expected" ] ||
        { fail "text printed '$(cat "$work/text.out")'"; cat "$work/text.log"; }
    [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$expected" ] || fail "the clipboard does not hold the text"
    echo taken | xclip -selection clipboard
    wait_exit $pid
    [ "$status" = 0 ] || fail "text exited $status"
else
    fail "no picker appeared for text"
fi
xdotool windowunmap "$shown" 2>/dev/null

# 5. window: the whole window although another window covers part of it.
import -window root "$work/uncovered.png"
show "$work/cover.png" cover 450 300
sleep 0.3
import -window root "$work/covered.png"
[ "$(hex_at "$work/covered.png" 520 400)" = "#FFFF00" ] || fail "the cover does not cover the window"
"$velmora" window -o "$work/window.png" 2>"$work/window.log" &
pid=$!
pids+=($pid)
if wait_overlay $pid; then
    xdotool mousemove 260 200 click 1
    wait_exit $pid
    [ "$status" = 0 ] || { fail "window exited $status"; cat "$work/window.log"; }
    # The capture is the frame with its decorations; the picture must sit whole where the client
    # sits in the frame, as the screen showed it before it was covered.
    frame="$(xwininfo -tree -id "$known" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')"
    read -r cx cy _ < <(client_area "$known")
    read -r fx fy _ < <(client_area "$frame")
    convert "$work/window.png" -crop "400x300+$((cx - fx))+$((cy - fy))" +repage "$work/window-client.png"
    convert "$work/uncovered.png" -crop "400x300+$cx+$cy" +repage "$work/window-expected.png"
    same "$work/window-client.png" "$work/window-expected.png" ||
        fail "the window capture does not hold the whole window ($(identify -format '%wx%h' "$work/window.png" 2>&1))"
else
    fail "no window picker appeared"
fi

# 6. Errors: one line on standard error, exit 2, no file.
expect_error() { # description pattern command…
    local what="$1" pattern="$2"
    shift 2
    "$@" >/dev/null 2>"$work/error.log"
    status=$?
    [ "$status" = 2 ] || fail "$what: exit $status, expected 2"
    [ "$(wc -l <"$work/error.log")" = 1 ] || { fail "$what: not one line on stderr"; cat "$work/error.log"; }
    grep -q "$pattern" "$work/error.log" || { fail "$what: message '$(cat "$work/error.log")'"; }
}
expect_error "unwritable file" "cannot write $work/missing/x.png" "$velmora" full -o "$work/missing/x.png"
expect_error "geometry off every screen" "off every screen" \
    "$velmora" region --geometry 100x100+5000+5000 -o "$work/off.png"
[ -e "$work/off.png" ] && fail "a geometry off every screen wrote a file"
expect_error "no display" "no display" env -u DISPLAY -u WAYLAND_DISPLAY "$velmora" full -o "$work/nodisplay.png"
[ -e "$work/nodisplay.png" ] && fail "without a display a file was written"

# 7. Without -o the capture opens in the editor; Ctrl+C there copies exactly the screen.
import -window root "$work/screen.png"
"$velmora" full >"$work/editor.log" 2>&1 &
pid=$!
pids+=($pid)
has_editor() { velmora_windows | grep -q .; }
if wait_for 10 has_editor; then
    xdotool windowactivate --sync "$(velmora_windows | head -1)" 2>/dev/null
    xdotool key ctrl+c
    wait_for 5 clipboard_has_png
    xclip -selection clipboard -t image/png -o >"$work/copied.png" 2>/dev/null
    same "$work/copied.png" "$work/screen.png" || fail "the editor's copy differs from the screen"
    echo taken | xclip -selection clipboard
    wait_exit $pid
    [ "$status" = 0 ] || fail "full into the editor exited $status"
    check_sanitizer "$work/editor.log"
else
    fail "full opened no editor"
fi

finish "e2e capture"
