#!/usr/bin/env bash
# Capture speed on a 5120×2880 Xvfb screen showing a UI-like picture as the root background:
#  - `velmora full -o FILE`, whole process, N runs, against `flameshot full -p DIR` when installed;
#  - in process: trigger → region picker painted, and release → editor shown for a 3840×2160
#    region, over several rounds in one process (bench_capture_flow) and in fresh `velmora region`
#    processes dragged with xdotool (VELMORA_TIMING).
# Prints medians in milliseconds. Not part of ctest.
# Usage: bench/bench_capture.sh [path/to/velmora] [runs]
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
velmora="${1:-$root/build/src/app/velmora}"
runs="${2:-10}"
source "$root/scripts/private-session" 5120x2880 bench-capture
# Each command runs in its own process here: what is measured and checked is that process.
export VELMORA_STANDALONE=1

# A desktop-like picture: a gradient wallpaper, window panels with title bars, sidebars and text.
draw=()
for i in $(seq 0 11); do
    x=$((80 + (i % 4) * 1250)); y=$((120 + (i / 4) * 900))
    draw+=(-fill "rgb($((230 - i * 7)),$((235 - i * 3)),240)" -draw "roundrectangle $x,$y $((x + 1150)),$((y + 800)) 14,14")
    draw+=(-fill "rgb(60,$((70 + i * 9)),110)" -draw "rectangle $x,$y $((x + 1150)),$((y + 48))")
    draw+=(-fill "rgb(245,245,250)" -draw "rectangle $((x + 20)),$((y + 70)) $((x + 260)),$((y + 780))")
    for line in $(seq 0 16); do
        draw+=(-fill "rgb(30,30,$((40 + line * 8)))" -pointsize 26
            -annotate "+$((x + 290))+$((y + 110 + line * 40))" "Line $line of panel $i: the quick brown fox jumps over")
    done
done
convert -size 5120x2880 gradient:'#1d3b6a-#e39b5a' "${draw[@]}" "$work/ui.png"
display -window root "$work/ui.png"

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

time_runs() { # label command… (the command gets the run number appended)
    local label="$1"
    shift
    "$@" 0 >/dev/null 2>&1 # warm the caches once
    for i in $(seq 1 "$runs"); do
        local start end
        start=$(now_ms)
        "$@" "$i" >/dev/null 2>&1
        end=$(now_ms)
        echo $((end - start))
    done | median | awk -v label="$label" -v runs="$runs" '{ printf "%-34s median %6.0f ms over %d runs\n", label, $1, runs }'
}

velmora_full() { "$velmora" full -o "$work/velmora-$1.png"; }
time_runs "velmora full -o (5120x2880)" velmora_full
identify -format "  velmora wrote %wx%h, %b\n" "$work/velmora-1.png"
# Where one run's time goes, from the process's start: application up, grabbed, PNG written.
VELMORA_TIMING=1 "$velmora" full -o "$work/velmora-steps.png" 2>&1 | sed -n 's/^velmora timing: /  /p' | paste -sd' '

if command -v flameshot >/dev/null; then
    flameshot_full() { mkdir -p "$work/flameshot-$1" && flameshot full -p "$work/flameshot-$1"; }
    time_runs "flameshot full -p (5120x2880)" flameshot_full
    ls "$work"/flameshot-1/* >/dev/null 2>&1 || echo "  (flameshot wrote no file: the figure is not comparable)"
else
    echo "flameshot is not installed: no comparison (apt-get install flameshot)"
fi

# In one process, as the tray program runs captures one after another.
flow="$(dirname "$velmora")/../../bench/bench_capture_flow"
if [ -x "$flow" ]; then
    "$flow" 8 2>/dev/null
else
    echo "bench_capture_flow not built: cmake --build build --target bench_capture_flow"
fi

# A fresh process per capture: the program logs its own step times.
wait_for() { # file pattern → whether it shows up within 20 s
    for _ in $(seq 1 400); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}
: >"$work/picker.ms"
: >"$work/editor.ms"
for i in $(seq 1 5); do
    VELMORA_TIMING=1 "$velmora" region >"$work/timing-$i.log" 2>&1 &
    pid=$!
    pids+=($pid)
    if wait_for "$work/timing-$i.log" "trigger to picker painted"; then
        sleep 0.3
        xdotool mousemove 400 300 mousedown 1 mousemove 2000 1000 mousemove 4240 2460 mouseup 1
        wait_for "$work/timing-$i.log" "release to editor shown" || echo "  run $i: no editor timing"
    else
        echo "  run $i: no picker timing"
    fi
    sed -n 's/.*trigger to picker painted \([0-9.]*\) ms/\1/p' "$work/timing-$i.log" >>"$work/picker.ms"
    sed -n 's/.*release to editor shown \([0-9.]*\) ms/\1/p' "$work/timing-$i.log" >>"$work/editor.ms"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
printf "%-34s median %6.1f ms over %d runs\n" "fresh process: trigger -> picker" "$(median <"$work/picker.ms")" \
    "$(wc -l <"$work/picker.ms")"
printf "%-34s median %6.1f ms over %d runs\n" "fresh process: release -> editor" "$(median <"$work/editor.ms")" \
    "$(wc -l <"$work/editor.ms")"
