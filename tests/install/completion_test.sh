#!/usr/bin/env bash
# Runs the bash completion as bash would and checks what it offers: the commands `velmora --help`
# lists, for each command exactly the options its own --help shows, the values of --background,
# images (and folders) where a command reads images, any file after -o.
# Usage: completion_test.sh VELMORA COMPLETION
set -u
velmora="$1"
source "$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-completion.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export VELMORA_STANDALONE=1 QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY

# What completing the last word of a command line offers, sorted, one a line.
offers() { # words…
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _velmora
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
}
expect() { # description expected-lines words…
    local description="$1" expected="$2"
    shift 2
    local got
    got="$(offers "$@")"
    [ "$got" = "$(printf '%s\n' $expected | sed '/^$/d' | sort)" ] ||
        fail "$description: offered [$(echo $got)], expected [$(echo $expected)]"
}

# Commands, as `velmora --help` lists them.
"$velmora" --help >"$work/help" 2>&1
commands="$(sed -n '/^Commands:/,/^$/p' "$work/help" | grep -oE '^  [a-z]+' | tr -d ' ' | sort)"
[ -n "$commands" ] || fail "no commands in velmora --help"
expect "velmora <Tab>" "$commands" velmora ""
# Option names, short and long, that a --help text shows.
help_words() { grep -oE '^ +(-[a-zA-Z], )?--[a-z][a-z-]*' | tr -d ',' | tr ' ' '\n' | sed '/^$/d' | sort -u; }
expect "velmora -<Tab>" "$(help_words <"$work/help")" velmora -

# Each command's options, as its --help shows them (short and long names).
for command in $commands; do
    # -h and --help are left out: the short help of `preferences` and `quit` does not list them.
    shown="$("$velmora" "$command" --help 2>&1 | help_words | grep -vxE -- '-h|--help')"
    got="$(offers velmora "$command" - | grep -vxE -- '-h|--help')"
    [ "$got" = "$shown" ] ||
        fail "velmora $command -<Tab>: offered [$(echo $got)], its --help shows [$(echo $shown)]"
done

# Files: images and folders where an image is read, anything after -o, JSON after --annotations.
mkdir -p "$work/files/shots"
touch "$work/files/"{one.png,two.JPG,three.webp,notes.txt,marks.json}
f="$work/files"
expect "edit <Tab>" "$f/one.png $f/two.JPG $f/three.webp $f/shots" velmora edit "$f/"
expect "velmora FILE" "$f/one.png" velmora "$f/o"
expect "stitch <Tab>" "$f/one.png $f/two.JPG $f/three.webp $f/shots" velmora stitch a.png "$f/"
expect "beautify -o <Tab>" "$f/one.png $f/two.JPG $f/three.webp $f/notes.txt $f/marks.json $f/shots" \
    velmora beautify in.png -o "$f/"
expect "beautify --annotations <Tab>" "$f/marks.json $f/shots" velmora beautify in.png --annotations "$f/"
expect "beautify --wallpaper <Tab>" "$f/one.png $f/two.JPG $f/three.webp $f/shots" \
    velmora beautify in.png --wallpaper "$f/"
expect "region --geometry <Tab>" "" velmora region --geometry ""

# Values of --background.
expect "--background auto-<Tab>" "auto-color auto-gradient" velmora beautify in.png --background auto-
# A whole value ends with its space; a prefix waits for the name after it.
[ "$(offers velmora beautify in.png --background tr)" = "transparent " ] ||
    fail "--background tr<Tab> does not give 'transparent '"
expect "--background pre<Tab>" "preset:" velmora beautify in.png --background pre

[ "$failures" -eq 0 ] && echo "completion: all checks passed"
[ "$failures" -eq 0 ]
