#!/usr/bin/env bash
# End to end: the real `velmora full|region` through the portal backend (VELMORA_PLATFORM=portal,
# offscreen Qt with two screens) on a private session bus, answered by fake_portal in each of its
# modes. Plain: fake_portal stands in for the whole desktop portal. --frontend: the real
# /usr/libexec/xdg-desktop-portal in front, finding fake_portal as its backend through
# XDG_DESKTOP_PORTAL_DIR and a .portal file. Every process started here is ended by its id.
# The desktop's global shortcuts (plain mode, needs Xvfb and xdotool): a tray instance on an X
# display binds its captures through fake_portal, whose Activated opens the picker there.
# Usage: e2e_portal.sh VELMORA FAKE_PORTAL [--frontend]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/private-bus.sh"
velmora="$1"
fake="$2"
frontend="${3:-}"
xdp=/usr/libexec/xdg-desktop-portal
if [ "$frontend" = "--frontend" ] && [ ! -x "$xdp" ]; then
    echo "SKIP: $xdp is not installed"
    exit 0
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-portal.XXXXXX")"
pids=()
bus_pid=""
xvfb_pid=""
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
stop_portal() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    pids=()
}
stop_bus() {
    if [ -n "$bus_pid" ]; then
        kill "$bus_pid" 2>/dev/null
        bus_pid=""
    fi
}
cleanup() {
    stop_portal
    stop_bus
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Two screens of different heights side by side; a desktop that returns every output in one
# picture returns their bounding box.
cat >"$work/screens.json" <<'JSON'
{ "screens": [
    { "name": "left", "x": 0, "y": 0, "width": 640, "height": 480, "logicalDpi": 96 },
    { "name": "right", "x": 640, "y": 0, "width": 400, "height": 300, "logicalDpi": 96 }
] }
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$work/screens.json" QT_LOGGING_RULES="qt.qpa.*=false"
export VELMORA_PLATFORM=portal VELMORA_STANDALONE=1 VELMORA_PORTAL_TIMEOUT=3

# Every pixel differs from its neighbours, so an offset of one shows.
convert -size 1040x480 gradient:'#ff0000-#0000ff' \( -size 480x1040 gradient:'#00ff00-#000000' -rotate 90 \) \
    -compose plus -composite -depth 8 "$work/known.png"
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }

# A bus that starts no service by itself: the desktop's own portal must not answer in place of the
# stand-in (nor be left running).
mkdir -p "$work/services"
private_bus_config "$work" "$work/services"

# A fresh bus and portal per mode, so nothing of one case leaks into the next.
start_portal() { # mode
    stop_portal
    stop_bus
    : >"$work/calls.log"
    private_bus_start "$work"
    local name=org.freedesktop.portal.Desktop role=frontend
    if [ "$frontend" = "--frontend" ]; then
        name=org.freedesktop.impl.portal.desktop.velmoratest
        role=backend
    fi
    "$fake" --role "$role" --picture "$work/known.png" --mode "$1" --log "$work/calls.log" \
        >"$work/fake.log" 2>&1 &
    pids+=($!)
    wait_name "$name" || { fail "fake_portal did not start"; cat "$work/fake.log"; return 1; }
    if [ "$frontend" = "--frontend" ]; then
        mkdir -p "$work/portals"
        cat >"$work/portals/velmoratest.portal" <<'INI'
[portal]
DBusName=org.freedesktop.impl.portal.desktop.velmoratest
Interfaces=org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.Access;
UseIn=velmoratest
INI
        XDG_DESKTOP_PORTAL_DIR="$work/portals" XDG_CURRENT_DESKTOP=velmoratest "$xdp" -r \
            >"$work/xdp.log" 2>&1 &
        pids+=($!)
        wait_name org.freedesktop.portal.Desktop || { fail "xdg-desktop-portal did not start"; cat "$work/xdp.log"; return 1; }
    fi
}
wait_name() { # bus name → whether it appears within 10 s
    for _ in $(seq 1 200); do
        if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}
run() { # name args… → exit status in $status; a run that outlives 20 s is a hang
    local name="$1"
    shift
    "$velmora" "$@" >"$work/$name.out" 2>"$work/$name.log" &
    local pid=$!
    for _ in $(seq 1 400); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            return 0
        fi
        sleep 0.05
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    status=hang
}
handed_out() { sed -n 's/.* file=\(.\+\)$/\1/p' "$work/calls.log"; }

# 1. The portal answers: full -o is the screen under the pointer (the left one), region --geometry
#    the crop, across both screens. The handed-out file is read and removed.
start_portal done
run full full -o "$work/full.png"
[ "$status" = 0 ] || { fail "full -o exited $status"; cat "$work/full.log"; }
convert "$work/known.png" -crop 640x480+0+0 +repage "$work/left.png"
same "$work/full.png" "$work/left.png" || fail "full -o differs from the portal's picture of the left screen"
for file in $(handed_out); do
    [ ! -e "$file" ] || fail "the portal's temporary file $file was left behind"
done
grep -q 'interactive=0 path=ok' "$work/calls.log" || { fail "no non-interactive call"; cat "$work/calls.log"; }

run region region --geometry 300x200+500+80 -o "$work/region.png"
[ "$status" = 0 ] || { fail "region --geometry exited $status"; cat "$work/region.log"; }
convert "$work/known.png" -crop 300x200+500+80 +repage "$work/region-expected.png"
same "$work/region.png" "$work/region-expected.png" || fail "region --geometry differs from the crop"

# Window capture: Wayland lists no windows, so the desktop's own picker is asked at once (no
# frozen picture first, no picker of Velmora's over it) and its picture is the capture.
: >"$work/calls.log"
run window window -o "$work/window.png"
[ "$status" = 0 ] || { fail "window -o exited $status"; cat "$work/window.log"; }
same "$work/window.png" "$work/known.png" || fail "window -o differs from the picture the desktop's picker returned"
[ "$(grep -c '^Screenshot' "$work/calls.log")" = 1 ] && grep -q '^Screenshot interactive=1' "$work/calls.log" ||
    { fail "window capture did not make exactly one interactive call"; cat "$work/calls.log"; }

# 2. Cancelled: exit 1, silent, nothing written.
start_portal cancel
run cancel full -o "$work/cancel.png"
[ "$status" = 1 ] || fail "a cancelled portal request exited $status, not 1"
[ ! -e "$work/cancel.png" ] || fail "a cancelled capture wrote a file"
[ ! -s "$work/cancel.log" ] || { fail "a cancelled capture printed"; cat "$work/cancel.log"; }
run cancel-window window -o "$work/cancel-window.png"
[ "$status" = 1 ] || fail "a window capture cancelled in the desktop's picker exited $status, not 1"
[ ! -e "$work/cancel-window.png" ] || fail "a cancelled window capture wrote a file"
[ ! -s "$work/cancel-window.log" ] || { fail "a cancelled window capture printed"; cat "$work/cancel-window.log"; }

# 3. Failed: exit 2 and a log line, after one interactive retry (the refusal came at once).
start_portal fail
run failed full -o "$work/failed.png"
[ "$status" = 2 ] || fail "a failed portal request exited $status, not 2"
grep -q 'Screenshot portal failed' "$work/failed.log" || { fail "no log line for the failure"; cat "$work/failed.log"; }
[ "$(grep -c '^Screenshot' "$work/calls.log")" = 2 ] || { fail "not exactly one retry"; cat "$work/calls.log"; }
run failed-window window -o "$work/failed-window.png"
[ "$status" = 2 ] || fail "a failed window capture exited $status, not 2"
[ ! -e "$work/failed-window.png" ] || fail "a failed window capture wrote a file"

# 4. Non-interactive refused, interactive answered: the picture all the same, and said so.
start_portal refuse-plain
run refused full -o "$work/refused.png"
[ "$status" = 0 ] || { fail "the interactive fallback exited $status"; cat "$work/refused.log"; }
same "$work/refused.png" "$work/left.png" || fail "the interactive fallback's picture differs"
grep -q 'interactive=1' "$work/calls.log" || fail "no interactive retry"
grep -q 'refused a screenshot without its picker' "$work/refused.log" || fail "the fallback was not said"

# 5. A portal that never answers: exit 2 after the timeout, the request closed, no hang.
start_portal never
run never full -o "$work/never.png"
[ "$status" = 2 ] || fail "a silent portal: exited $status, not 2"
grep -q 'did not answer' "$work/never.log" || { fail "no log line for the silent portal"; cat "$work/never.log"; }
if [ "$frontend" != "--frontend" ]; then
    grep -q '^Close /org/freedesktop/portal/desktop/request/' "$work/calls.log" || fail "the request was not closed"
fi

# 6. Shortcuts the desktop assigns: the tray instance binds its captures by name, with its own
#    combinations as wishes; the desktop's Activated for the area opens the picker over the portal's
#    picture in that instance. Escape ends the flow, so the next press opens it again, and a drag
#    there opens the editor.
if [ "$frontend" != "--frontend" ] && command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    start_portal done
    for n in $(seq 160 230); do
        [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] && break
    done
    Xvfb ":$n" -screen 0 1040x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    export DISPLAY=":$n"
    QT_QPA_PLATFORM=xcb "$velmora" >"$work/instance.log" 2>&1 &
    instance=$!
    pids+=($instance)
    press() { # shortcut id → the desktop says it was pressed
        dbus-send --session --type=method_call --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
            org.velmora.FakePortal.Activate "string:$1"
    }
    window_of_size() { # WxH → whether the instance shows a window of that size
        xdotool search --onlyvisible --pid "$instance" 2>/dev/null | while read -r w; do
            xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {print $2}'
        done | grep -qx "$1"
    }
    shows_picker() { window_of_size 1040x480; }
    shows_editor() { xdotool search --onlyvisible --pid "$instance" 2>/dev/null | while read -r w; do
        xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/ {split($2, s, "x"); if (s[1] > 300 && s[1] < 1040) print}'
    done | grep -q .; }
    until_true() { # tries command… → whether it succeeds within tries × 50 ms
        local tries="$1"
        shift
        for _ in $(seq 1 "$tries"); do
            "$@" && return 0
            sleep 0.05
        done
        return 1
    }
    if until_true 200 grep -q '^BindShortcuts' "$work/calls.log"; then
        bound="$(grep '^BindShortcuts' "$work/calls.log" | tail -1)"
        for wanted in region=CTRL+SHIFT+2 ocr=CTRL+SHIFT+3 fullScreen=- colorCapture=-; do
            grep -qw -- "$wanted" <<<"$bound" || fail "bound without $wanted: $bound"
        done
        : >"$work/calls.log"
        press region
        if until_true 200 shows_picker; then
            grep -q '^Screenshot interactive=0' "$work/calls.log" || fail "the picker did not freeze the portal's picture"
            sleep 0.3
            xdotool key Escape
            until_true 100 eval '! shows_picker' || fail "Escape left the picker up"
            press region
            if until_true 200 shows_picker; then
                sleep 0.3
                xdotool mousemove 100 100 mousedown 1 mousemove 200 150 mousemove 400 300 mouseup 1
                until_true 200 shows_editor || fail "a drag in the picker opened no editor"
            else
                fail "a second press after Escape opened no picker"
            fi
        else
            fail "the desktop's Activated for the area opened no picker"
            cat "$work/instance.log"
        fi
    else
        fail "the tray instance bound no shortcuts"
        cat "$work/instance.log" "$work/calls.log"
    fi
    unset DISPLAY
fi

# 7. No portal on the bus at all: exit 2 at once.
stop_portal
run absent full -o "$work/absent.png"
[ "$status" = 2 ] || fail "without a portal: exited $status, not 2"

if [ "$failures" -ne 0 ]; then
    [ "$frontend" = "--frontend" ] && cat "$work/xdp.log" "$work/calls.log"
    echo "$failures failure(s)"
    exit 1
fi
echo "e2e_portal${frontend:+ $frontend}: all checks passed"
