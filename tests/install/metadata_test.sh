#!/usr/bin/env bash
# The launcher and the software-centre entry validate cleanly, and the entry describes this
# release: the project's version with its date, the launcher it launches, a summary, a description,
# a content rating and screenshots that are the README's pictures in the repository.
# Usage: metadata_test.sh SOURCE BUILD VERSION
set -u
source_dir="$1"
build="$2"
version="$3"
work="$(mktemp -d "${TMPDIR:-/tmp}/velmora-metadata.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

desktop="$work/io.velmora.Velmora.desktop"
sed 's|@VELMORA_EXECUTABLE@|/usr/bin/velmora|g' "$source_dir/resources/desktop/io.velmora.Velmora.desktop.in" >"$desktop"
# Errors and warnings fail; hints are advice.
desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || fail "desktop-file-validate failed"
grep -v ': hint: ' "$work/desktop.log" | grep . && fail "desktop-file-validate complains"

metainfo="$build/resources/desktop/io.velmora.Velmora.metainfo.xml"
[ -f "$metainfo" ] || { echo "FAIL: no $metainfo"; exit 1; }
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate failed"; }
grep -E '^[EWI]:' "$work/appstream.log" && fail "appstreamcli reports errors, warnings or infos"

# What the entry says, read with an XML parser rather than by pattern.
query() { xmllint --xpath "$1" "$metainfo" 2>/dev/null; }
[ "$(query 'string(/component/releases/release[1]/@version)')" = "$version" ] ||
    fail "the newest release is '$(query 'string(/component/releases/release[1]/@version)')', not $version"
query 'string(/component/releases/release[1]/@date)' | grep -qxE '[0-9]{4}-[0-9]{2}-[0-9]{2}' ||
    fail "the release has no date"
[ "$(query 'string(/component/launchable[@type="desktop-id"])')" = "io.velmora.Velmora.desktop" ] ||
    fail "the entry does not launch io.velmora.Velmora.desktop"
[ -n "$(query 'string(/component/summary)')" ] || fail "no summary"
[ -n "$(query 'string(/component/description/p[1])')" ] || fail "no description"
[ "$(query 'string(/component/content_rating/@type)')" = "oars-1.1" ] || fail "no content rating"

# Each screenshot is a PNG in the repository under the same path, small enough to download, and
# the README shows it.
count="$(query 'count(/component/screenshots/screenshot/image)')"
[ "${count:-0}" -ge 3 ] || fail "$count screenshots, fewer than three"
for i in $(seq 1 "${count:-0}"); do
    url="$(query "string(/component/screenshots/screenshot[$i]/image)")"
    path="docs/images/${url##*/docs/images/}"
    file="$source_dir/$path"
    [ -f "$file" ] || { fail "$url: no $path in the repository"; continue; }
    [ "$(identify -format '%m' "$file" 2>/dev/null)" = PNG ] || fail "$path is not a PNG"
    [ "$(stat -c %s "$file")" -le 600000 ] || fail "$path is $(stat -c %s "$file") bytes"
    grep -qF "]($path)" "$source_dir/README.md" || fail "the README does not show $path"
    [ -n "$(query "string(/component/screenshots/screenshot[$i]/caption)")" ] || fail "$path has no caption"
done

[ "$failures" -eq 0 ] && echo "metadata: all checks passed"
[ "$failures" -eq 0 ]
