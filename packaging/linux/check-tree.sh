#!/bin/sh
# Checks an installed tree (an install prefix, or the usr/ of an unpacked
# Debian package): every file in its place, the desktop entry and metainfo
# valid and pointing at what is installed, the manual page readable with
# man -l and describing every option that the program itself offers.
# Usage: check-tree.sh PREFIX
set -eu
prefix=$1
id=org.qdm7720a.evalsoftware
program=$prefix/bin/qdm7720a-eval
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
page=$prefix/share/man/man1/qdm7720a-eval.1.gz
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[ -x "$program" ] || fail "no program at $program"
for f in "$prefix/lib/udev/rules.d/70-qdm7720a-eval.rules" "$desktop" "$metainfo" "$page"; do
    [ -f "$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" ||
        fail "no ${size}x$size PNG icon at $icon"
done
[ "$failures" -eq 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo" >&2
    fail "appstreamcli validate $metainfo"
}
# What the validators do not check: that the entries name what is installed.
grep -qx "Exec=qdm7720a-eval" "$desktop" || fail "desktop entry does not start qdm7720a-eval"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry does not name the icon $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"

# The page renders without a warning; LC_ALL=C keeps hyphens plain ASCII.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rendered=$scratch/page.txt
warnings=$scratch/warnings.txt
# Qt wants a private runtime folder even for --help.
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR="$scratch"
LC_ALL=C MANWIDTH=80 man --warnings -l "$page" >"$rendered" 2>"$warnings" || fail "man -l $page"
if [ -s "$warnings" ]; then
    cat "$warnings" >&2
    fail "man reports problems in $page"
fi
version=$("$program" --version) || fail "$program --version"
grep -q "$version" "$rendered" || fail "manual page is not for '$version'"
options=$("$program" --help | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,') ||
    fail "$program --help"
[ -n "$options" ] || fail "$program --help lists no option"
# Each option heads an entry of the page's OPTIONS section.
entries=$(sed -n '/^OPTIONS$/,/^[A-Z]/p' "$rendered" | grep -E '^ {7}-')
for option in $options; do
    echo "$entries" | grep -qE -- "^ {7}(.*[ ,])?$option([ ,]|\$)" ||
        fail "manual page does not describe $option"
done
# Every option it offers ends: --help-all must not start the program.
timeout 10 "$program" --help-all >/dev/null || fail "$program --help-all did not exit 0"

[ "$failures" -eq 0 ] || exit 1
echo "installed tree at $prefix checked"
