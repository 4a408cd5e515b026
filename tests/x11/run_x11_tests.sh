#!/usr/bin/env bash
# Runs an X11 platform test binary inside a private headless session (Xvfb, session bus, openbox)
# and ends that session whatever the outcome.
# Usage: run_x11_tests.sh <repo root> <test binary> [test arguments…]
set -u
root="$1"
shift
# shellcheck source=/dev/null
source "$root/scripts/headless-session" 1280x800
trap headless_session_stop EXIT
QT_QPA_PLATFORM=xcb VELMORA_PLATFORM=x11 QT_ENABLE_HIGHDPI_SCALING=0 "$@"
