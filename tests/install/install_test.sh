#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds there: the program
# and its recognition module, the launcher and its actions, the icon, the software-centre entry
# and the bus service, each naming the installed program.
set -u
build="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
prefix="$(mktemp -d "${TMPDIR:-/tmp}/velmora-install.XXXXXX")"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; exit 1; }
rm -f "$prefix.log"
velmora="$prefix/bin/velmora"
desktop="$prefix/share/applications/io.velmora.Velmora.desktop"
service="$prefix/share/dbus-1/services/io.velmora.Velmora.service"
for file in "$velmora" "$prefix/lib/velmora/velmora_ocr.so" "$desktop" "$service" \
    "$prefix/share/icons/hicolor/scalable/apps/io.velmora.Velmora.svg" \
    "$prefix/share/metainfo/io.velmora.Velmora.metainfo.xml"; do
    [ -f "$file" ] || fail "missing $file"
done
[ -x "$velmora" ] || fail "the program is not executable"

# Both files start the installed program, not the build's.
grep -qx "Exec=$velmora" "$service" || fail "the bus service does not run $velmora"
grep -qx "Exec=$velmora %F" "$desktop" || fail "the launcher does not open files with $velmora"
grep -q "^MimeType=.*image/png;" "$desktop" || fail "the launcher does not offer to open PNG files"
# Every action is a command the installed program knows.
grep '^Exec=' "$desktop" | sed -n "s|^Exec=$velmora \([a-z]*\)$|\1|p" | while read -r command; do
    VELMORA_STANDALONE=1 "$velmora" "$command" --help >/dev/null 2>&1 ||
        echo "FAIL: the launcher's action '$command' is not a command" >&2
done 2>&1 | grep FAIL && failures=$((failures + 1))
[ "$(grep -c '^\[Desktop Action ' "$desktop")" = 7 ] || fail "the launcher does not have its seven actions"

# The installed program finds its recognition module next to it.
convert -size 420x60 xc:white -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 24 \
    -fill black -annotate +10+40 'Installed and reading' "$prefix/text.png"
text="$(env -u VELMORA_OCR_MODULE "$velmora" ocr "$prefix/text.png" 2>/dev/null)"
[ "$text" = "Installed and reading" ] || fail "the installed program read '$text'"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the launcher does not validate"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/io.velmora.Velmora.metainfo.xml" ||
        fail "the metainfo does not validate"
fi

[ "$failures" -eq 0 ] && echo "install: all checks passed"
[ "$failures" -eq 0 ]
