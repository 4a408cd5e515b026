#!/usr/bin/env bash
# Keeps velmora(1) from drifting from the program: the commands under COMMANDS are the ones
# `velmora --help` lists, each command documents exactly the options its own --help shows, the
# global options are those of `velmora --help`, and man renders the page without complaint.
# Usage: manpage_test.sh VELMORA MANPAGE
set -u
velmora="$1"
page="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-manpage.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export VELMORA_STANDALONE=1 QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY

# Long option names shown by a --help text, one a line. --help and Qt's --help-all, which every
# command takes, are documented once under OPTIONS.
help_options() {
    grep -oE '^ +(-[a-zA-Z], )?--[a-z][a-z-]*' | sed 's/.*--//' | grep -vxE 'help|help-all' | sort -u
}
# The man page's source with its escapes resolved: \- is -, font changes and quotes dropped.
sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/"//g' "$page" >"$work/page"

# Commands: the indented words under "Commands:" in `velmora --help`.
"$velmora" --help >"$work/help" 2>&1 || fail "velmora --help failed"
sed -n '/^Commands:/,/^$/p' "$work/help" | grep -oE '^  [a-z]+' | tr -d ' ' | sort -u >"$work/commands"
[ -s "$work/commands" ] || fail "no commands found in velmora --help"
# In the page: each ".SS" under COMMANDS names one, first word.
awk '/^\.SH/ { in_commands = ($2 == "COMMANDS") } in_commands && /^\.SS/ { print $2 }' "$work/page" |
    sort -u >"$work/documented"
diff -u "$work/commands" "$work/documented" >"$work/diff" ||
    { cat "$work/diff"; fail "the commands in velmora(1) differ from velmora --help"; }

# Options of each command: the names after .TP lines in its subsection.
documented_options() { # command
    awk -v command="$1" '
        /^\.S[HS]/ { mine = ($1 == ".SS" && $2 == command); next }
        mine && /^\.TP/ { tag = 1; next }
        mine && tag { print; tag = 0 }' "$work/page" |
        grep -oE -- '--[a-z][a-z-]*' | sed 's/^--//' | sort -u
}
while read -r command; do
    "$velmora" "$command" --help >"$work/$command.help" 2>&1
    help_options <"$work/$command.help" >"$work/$command.shown"
    documented_options "$command" >"$work/$command.documented"
    diff -u "$work/$command.shown" "$work/$command.documented" >"$work/diff" ||
        { cat "$work/diff"; fail "velmora $command: the options in velmora(1) differ from its --help"; }
done <"$work/commands"

# The options of velmora itself, under OPTIONS.
help_options <"$work/help" | cat - <(printf 'help\nhelp-all\n') | sort -u >"$work/global"
awk '/^\.SH/ { mine = ($2 == "OPTIONS"); next } mine && /^\.TP/ { tag = 1; next } mine && tag { print; tag = 0 }' \
    "$work/page" | grep -oE -- '--[a-z][a-z-]*' | sed 's/^--//' | sort -u >"$work/global.documented"
diff -u "$work/global" "$work/global.documented" >"$work/diff" ||
    { cat "$work/diff"; fail "velmora(1)'s OPTIONS differ from velmora --help"; }

# The sections a reader looks for are there.
for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
    grep -qx "\.SH $section" "$work/page" || fail "velmora(1) has no $section section"
done

# Rendered by man without a warning (groff reports unknown macros and bad escapes).
if command -v man >/dev/null; then
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$work/man.log"
    [ -s "$work/man.log" ] && { cat "$work/man.log"; fail "man warns about velmora(1)"; }
fi

[ "$failures" -eq 0 ] && echo "manpage: all checks passed"
[ "$failures" -eq 0 ]
