#!/usr/bin/env bash
# What the end-to-end scripts share on top of the private session (scripts/private-session, which
# this sources with the same arguments): waiting for a condition, reading a pixel, the sanitizer
# check and the closing verdict.
# Usage: source tests/e2e/e2e_lib.sh WIDTHxHEIGHT NAME
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/private-session" "$@"

wait_for() { # seconds command… → whether the command succeeded within the time (asked every 50 ms)
    local tries=$(($1 * 20))
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
gone() { ! kill -0 "$1" 2>/dev/null; }
wait_exit() { # pid [seconds] → whether it ended within the time (10 s), its exit status in $status
    status=timeout
    wait_for "${2:-10}" gone "$1" || return 1
    wait "$1"
    status=$?
}
_other_window() { found="$(velmora_windows | grep -vxF "$1" | head -1)"; [ -n "$found" ]; }
other_window() { # window… → in $found a visible Velmora window that is none of them, within 5 s
    found=""
    wait_for 5 _other_window "$(printf '%s\n' "$@")"
}
shows_window() { [ -n "$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1)" ]; } # pid
clipboard_has_png() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q image/png; }
probe() { # file x y → "r g b"
    convert "$1" -format "%[fx:int(255*u.p{$2,$3}.r)] %[fx:int(255*u.p{$2,$3}.g)] %[fx:int(255*u.p{$2,$3}.b)]" info:
}
# Built with the sanitizers (scripts/test --sanitize), velmora reports memory errors, undefined
# behaviour and leaks on stderr; the report is complete once the process has ended.
check_sanitizer() { # log
    if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$1"; then
        fail "sanitizer report in $(basename "$1")"
        cat "$1"
    fi
}
finish() { # name → the verdict, as the exit status
    if [ "$failures" -eq 0 ]; then
        echo "$1: all checks passed"
        exit 0
    fi
    exit 1
}
