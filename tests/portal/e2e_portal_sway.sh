#!/usr/bin/env bash
# End to end on real pixels: a headless sway desktop with pipewire, xdg-desktop-portal-wlr and -gtk
# and xdg-desktop-portal (scripts/wayland-session), run as nobody since sway refuses root. Under
# QT_QPA_PLATFORM=wayland, `velmora full -o` must equal grim's picture of the desktop exactly, and
# `region --geometry` its crop. The program and the scripts are copied to a fresh folder that
# nobody can read first.
# Usage: e2e_portal_sway.sh VELMORA
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

if [ "${1:-}" != "--inside" ]; then
    velmora="$1"
    for tool in sway grim pipewire setpriv /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr \
        /usr/libexec/xdg-desktop-portal-gtk; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
    done
    [ "$(id -u)" = 0 ] || { echo "SKIP: needs root to run the desktop as nobody"; exit 0; }
    folder="$(mktemp -d /tmp/velmora-sway.XXXXXX)"
    trap 'rm -rf "$folder"' EXIT
    cp "$velmora" "$folder/velmora"
    cp "$root/scripts/wayland-session" "$root/tests/portal/wl-pointer" "${BASH_SOURCE[0]}" "$folder/"
    "$root/scripts/as-nobody" "$folder" --limit 80 bash "$folder/$(basename "${BASH_SOURCE[0]}")" --inside
    exit $?
fi

# As nobody, inside the copied folder.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
trap 'wayland_session_stop; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT

# A background whose every pixel differs from its neighbours, so an offset of one shows.
convert -size 1280x720 gradient:'#ff0000-#0000ff' \( -size 720x1280 gradient:'#00ff00-#000000' -rotate 90 \) \
    -compose plus -composite -depth 8 "$work/background.png"
source "$here/wayland-session" 1280x720 "$work/background.png"
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }

export QT_QPA_PLATFORM=wayland VELMORA_STANDALONE=1 QT_LOGGING_RULES="qt.qpa.*=false"
grim "$work/grim.png" || fail "grim could not capture"

"$here/velmora" full -o "$work/full.png" 2>"$work/full.log"
status=$?
[ "$status" = 0 ] || { fail "full -o exited $status"; cat "$work/full.log"; }
same "$work/full.png" "$work/grim.png" || fail "full -o differs from grim's picture"

"$here/velmora" region --geometry 300x200+250+180 -o "$work/region.png" 2>"$work/region.log"
status=$?
[ "$status" = 0 ] || { fail "region --geometry exited $status"; cat "$work/region.log"; }
convert "$work/grim.png" -crop 300x200+250+180 +repage "$work/region-expected.png"
same "$work/region.png" "$work/region-expected.png" || fail "region --geometry differs from grim's crop"

# sway's portal has no window picker: window capture says so at once instead of failing in the portal.
"$here/velmora" window -o "$work/window.png" 2>"$work/window.log"
status=$?
[ "$status" = 2 ] || fail "window on sway exited $status, not 2"
grep -q "cannot pick a window" "$work/window.log" || { fail "window on sway gave no reason"; cat "$work/window.log"; }

# The region picker over the frozen picture, dragged with a virtual pointer: the crop is the
# dragged rectangle of the frozen picture, nothing of the overlay in it.
"$here/velmora" region -o "$work/picked.png" 2>"$work/picked.log" &
picker=$!
# The pointer may only move once the overlay is on the screen.
for _ in $(seq 1 100); do
    swaymsg -t get_tree | grep -q '"app_id": "io.velmora.Velmora"' && break
    sleep 0.1
done
sleep 0.5
python3 "$here/wl-pointer" 1280 720 move 410 230 press move 600 330 move 730 420 sleep 0.3 release ||
    fail "no virtual pointer"
wait "$picker"
status=$?
[ "$status" = 0 ] || { fail "region through the picker exited $status"; cat "$work/picked.log"; }
convert "$work/grim.png" -crop 320x190+410+230 +repage "$work/picked-expected.png"
same "$work/picked.png" "$work/picked-expected.png" || fail "the picked region differs from grim's crop"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "e2e_portal_sway: all checks passed"
