#!/bin/sh
# Checks an installed tree (an install prefix, or the usr/ of an unpacked
# Debian package): every file in its place, the desktop entry and metainfo
# valid and pointing at what is installed, each program's manual page
# readable with man -l and describing every option that the program itself
# offers, the command-line tool's bash completion, the copyright file and a
# changelog whose newest entry is the program's version.
# The Python module imports from where the system's Python finds it below
# the prefix, and reads a register on the demo board, and its examples run
# there (unless QDM_NO_PYTHON=1: a build without them).
# Usage: check-tree.sh PREFIX
set -eu
prefix=$1
id=org.qdm7720a.evalsoftware
# The desktop program first: the metainfo and changelog are checked against
# its version.
programs="qdm7720a-eval qdm7720a-cli"
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
completion=$prefix/share/bash-completion/completions/qdm7720a-cli
doc=$prefix/share/doc/qdm7720a-eval
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for program in $programs; do
    [ -x "$prefix/bin/$program" ] || fail "no program at $prefix/bin/$program"
    [ -f "$prefix/share/man/man1/$program.1.gz" ] || fail "missing $prefix/share/man/man1/$program.1.gz"
done
for f in "$prefix/lib/udev/rules.d/70-qdm7720a-eval.rules" "$desktop" "$metainfo" "$completion" \
    "$doc/copyright" "$doc/changelog.gz"; do
    [ -f "$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" ||
        fail "no ${size}x$size PNG icon at $icon"
done
[ "$failures" -eq 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null || {
    appstreamcli validate --no-net --pedantic "$metainfo" >&2
    fail "appstreamcli validate --pedantic $metainfo"
}
# What the validators do not check: that the entries name what is installed.
grep -qx "Exec=qdm7720a-eval" "$desktop" || fail "desktop entry does not start qdm7720a-eval"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry does not name the icon $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Qt wants a private runtime folder even for --help.
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR="$scratch"
# Each program's page renders without a warning (LC_ALL=C keeps hyphens plain
# ASCII), is for the program's version, and each option of the program's
# --help heads an entry of its OPTIONS section. Every option it offers ends:
# --help-all, where --help lists it, must not start the program.
number=""
for name in $programs; do
    program=$prefix/bin/$name
    page=$prefix/share/man/man1/$name.1.gz
    rendered=$scratch/$name.txt
    warnings=$scratch/$name.warnings
    LC_ALL=C MANWIDTH=80 man --warnings -l "$page" >"$rendered" 2>"$warnings" || fail "man -l $page"
    if [ -s "$warnings" ]; then
        cat "$warnings" >&2
        fail "man reports problems in $page"
    fi
    version=$("$program" --version) || fail "$program --version"
    grep -q "$version" "$rendered" || fail "manual page $page is not for '$version'"
    [ -n "$number" ] || number=${version##* }
    [ "${version##* }" = "$number" ] || fail "$program is version ${version##* }, not $number"
    options=$("$program" --help | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,') ||
        fail "$program --help"
    [ -n "$options" ] || fail "$program --help lists no option"
    entries=$(sed -n '/^OPTIONS$/,/^[A-Z]/p' "$rendered" | grep -E '^ {7}-') || true
    for option in $options; do
        echo "$entries" | grep -qE -- "^ {7}(.*[ ,])?$option([ ,]|\$)" ||
            fail "manual page $page does not describe $option"
    done
    if echo "$options" | grep -qx -- --help-all; then
        timeout 10 "$program" --help-all >/dev/null || fail "$program --help-all did not exit 0"
    fi
done
grep -q "<release version=\"$number\"" "$metainfo" || fail "metainfo has no release $number"

# Debian's packages put modules in lib/python3/dist-packages, an installation
# below another prefix in lib/python3.X/dist-packages.
modules=$(ls -d "$prefix"/lib/python3*/dist-packages 2>/dev/null | head -n 1)
examples=$doc/examples
if [ "${QDM_NO_PYTHON:-0}" = 1 ]; then
    [ -z "$modules" ] || fail "a Python module below $prefix/lib, from a build without it"
    [ ! -e "$examples" ] || fail "Python examples at $examples, from a build without the module"
elif [ -z "$modules" ] || [ ! -f "$modules/qdm7720a.pyi" ]; then
    fail "no Python module qdm7720a with its stubs below $prefix/lib"
else
    answer=$(cd "$scratch" && PYTHONPATH=$modules /usr/bin/python3 -c \
        'import qdm7720a; print(hex(qdm7720a.open(demo=True).read(0)), qdm7720a.__version__)') ||
        fail "python3 cannot import qdm7720a from $modules"
    [ "$answer" = "0x31 $number" ] || fail "qdm7720a from $modules read '$answer', not '0x31 $number'"
    [ -f "$examples/test_production.py" ] && [ -f "$examples/production.txt" ] ||
        fail "no production check with its register file in $examples"
    swept=$(cd "$scratch" && PYTHONPATH=$modules "$examples/sweep_channels.py" --demo --dwell-ms 20) ||
        fail "$examples/sweep_channels.py --demo did not run"
    [ "$(echo "$swept" | grep -c '^[ABCD]: best gain 0x[0-9A-F], clean ')" = 4 ] ||
        fail "$examples/sweep_channels.py --demo printed: $swept"
fi

# The completion parses and, once sourced, completes the tool (its work needs
# bash-completion's functions, which are not loaded here).
bash -n "$completion" || fail "$completion does not parse"
bash -c '. "$1" && complete -p qdm7720a-cli' check "$completion" >/dev/null ||
    fail "$completion does not complete qdm7720a-cli"

# Debian's machine-readable copyright format, and a Debian changelog: the
# format of a native package's changelog.gz.
head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "$doc/copyright is not in the machine-readable format"
grep -q '^Copyright: ' "$doc/copyright" || fail "$doc/copyright has no notice"
changelog=$scratch/changelog
if gzip -dc "$doc/changelog.gz" >"$changelog"; then
    [ "$(dpkg-parsechangelog -l "$changelog" -S Version 2>&1)" = "$number" ] ||
        fail "the newest entry of $doc/changelog.gz is not $number"
else
    fail "$doc/changelog.gz does not decompress"
fi
[ "$failures" -eq 0 ] || exit 1
echo "installed tree at $prefix checked"
