#!/usr/bin/env bash
# Makes the Debian package from the build with CPack, unpacks it into a temporary folder and checks
# what a machine would get: the files in their Debian places, control fields with the project's
# version and run-time dependencies (and nothing from the build chain), a program that runs from
# the unpacked tree, and no errors from lintian.
# Usage: package_test.sh BUILD VERSION
set -u
build="$1"
version="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack --config CPackConfig.cmake -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/out/velmora_*.deb 2>/dev/null)"
[ -f "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: cpack made no velmora_*.deb"; exit 1; }
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "velmora_${version}_${arch}.deb" ] || fail "package named $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"

# Dependencies: one per comma, names only.
depends="$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//; /^$/d' | sort -u)"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libqt6network6 libxcb1 libspng0 \
    libtesseract5 libqt6svg6 qt6-image-formats-plugins qt6-qpa-plugins qt6-wayland tesseract-ocr-eng; do
    grep -qx "$needed" <<<"$depends" || fail "Depends lacks $needed"
done
echo "$depends" | grep -E -- '-dev$|^(cmake|ninja-build|ccache|gcc|g\+\+|clang|build-essential|pkg-config)' |
    while read -r tool; do echo "FAIL: Depends names the build tool $tool"; done | grep FAIL &&
    failures=$((failures + 1))

# The files, each where Debian looks for it (directories left out).
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort >"$work/files"
cat >"$work/expected" <<FILES
/usr/bin/velmora
/usr/lib/velmora/velmora_ocr.so
/usr/share/applications/io.velmora.Velmora.desktop
/usr/share/bash-completion/completions/velmora
/usr/share/dbus-1/services/io.velmora.Velmora.service
/usr/share/doc/velmora/LICENSE-inter.txt
/usr/share/doc/velmora/LICENSE-jetbrains-mono.txt
/usr/share/doc/velmora/LICENSE-lucide.txt
/usr/share/doc/velmora/LICENSE-quicksand.txt
/usr/share/doc/velmora/changelog.gz
/usr/share/doc/velmora/copyright
/usr/share/icons/hicolor/scalable/apps/io.velmora.Velmora.svg
/usr/share/man/man1/velmora.1.gz
/usr/share/metainfo/io.velmora.Velmora.metainfo.xml
FILES
sort -o "$work/expected" "$work/expected"
diff -u "$work/expected" "$work/files" >"$work/diff" || { cat "$work/diff"; fail "the package's files differ"; }
dpkg-deb -c "$deb" | awk '$2 != "root/root" {print}' | grep . && fail "files not owned by root"

root="$work/root"
dpkg-deb -x "$deb" "$root"
velmora="$root/usr/bin/velmora"
[ "$("$velmora" --version 2>&1)" = "Velmora $version" ] ||
    fail "the unpacked program says '$("$velmora" --version 2>&1)'"
file -b "$velmora" | grep -q 'not stripped' && fail "the program is not stripped"
# The unpacked program finds its recognition module next to it, as the installed one will.
convert -size 420x60 xc:white -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 24 \
    -fill black -annotate +10+40 'Packaged and reading' "$work/text.png"
text="$(env -u VELMORA_OCR_MODULE "$velmora" ocr "$work/text.png" 2>"$work/ocr.log")"
[ "$text" = "Packaged and reading" ] || { cat "$work/ocr.log"; fail "the unpacked program read '$text'"; }
grep -qx "Exec=/usr/bin/velmora %F" "$root/usr/share/applications/io.velmora.Velmora.desktop" ||
    fail "the launcher does not run /usr/bin/velmora"
grep -qx "Exec=/usr/bin/velmora" "$root/usr/share/dbus-1/services/io.velmora.Velmora.service" ||
    fail "the bus service does not run /usr/bin/velmora"

# The launcher and the software-centre entry as packaged validate.
desktop-file-validate "$root/usr/share/applications/io.velmora.Velmora.desktop" ||
    fail "the packaged launcher does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.velmora.Velmora.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "the packaged metainfo does not validate"; }

if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
    grep '^E:' "$work/lintian" && fail "lintian reports errors"
    grep '^W:' "$work/lintian"
fi

[ "$failures" -eq 0 ] && echo "package: all checks passed"
[ "$failures" -eq 0 ]
