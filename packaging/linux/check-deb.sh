#!/bin/sh
# Checks a built Debian package of the program: its control fields and
# maintainer scripts, and, unpacked with dpkg -x into a scratch root, its file
# list and the installed tree (check-tree.sh).
# Usage: check-deb.sh PACKAGE.deb
set -eu
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
id=org.qdm7720a.evalsoftware
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[ "$(dpkg-deb -f "$deb" Package)" = qdm7720a-eval ] || fail "package name"
# The library packages by name (with the t64 suffix of newer distributions),
# and the Qt platform plugins that no library dependency brings in.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libhidapi-hidraw0 qt6-qpa-plugins python3; do
    echo "$depends" | tr ',|' '\n\n' | grep -qE "^ *${package}(t64)?( |\$)" ||
        fail "Depends has no $package: $depends"
done
# The tool's completion is loaded by bash-completion.
dpkg-deb -f "$deb" Recommends | grep -qE '(^|, )bash-completion( |,|$)' ||
    fail "Recommends has no bash-completion"

dpkg-deb -e "$deb" "$scratch/control"
for script in postinst postrm; do
    [ -x "$scratch/control/$script" ] || fail "no executable $script"
    sh -n "$scratch/control/$script" || fail "$script does not parse"
done
grep -q 'udevadm control --reload-rules' "$scratch/control/postinst" ||
    fail "postinst does not reload the udev rules"

dpkg -x "$deb" "$scratch/root"
# Every file the package holds, one a line: a program adds its name to
# programs (for the program and its manual page), anything else a line.
programs="qdm7720a-eval qdm7720a-cli"
doc=./usr/share/doc/qdm7720a-eval
# The Python module, for the Python the package was built with.
python_module=$(/usr/bin/python3 -c 'import sysconfig; print("qdm7720a" + sysconfig.get_config_var("EXT_SUFFIX"))')
expected=$scratch/expected
{
    for program in $programs; do
        echo ./usr/bin/$program
        echo ./usr/share/man/man1/$program.1.gz
    done
    echo ./usr/share/bash-completion/completions/qdm7720a-cli
    for module in $python_module qdm7720a.pyi; do
        echo ./usr/lib/python3/dist-packages/$module
    done
    for example in sweep_channels.py test_production.py production.txt; do
        echo $doc/examples/$example
    done
    echo ./usr/lib/udev/rules.d/70-qdm7720a-eval.rules
    echo ./usr/share/applications/$id.desktop
    for size in 16 24 32 48 64 128 256; do
        echo ./usr/share/icons/hicolor/${size}x$size/apps/$id.png
    done
    echo ./usr/share/metainfo/$id.metainfo.xml
    echo $doc/changelog.gz
    echo $doc/copyright
} | sort >"$expected"
(cd "$scratch/root" && find . ! -type d | sort) >"$scratch/found"
diff -u "$expected" "$scratch/found" >&2 || fail "file list differs (- expected, + in the package)"

# The changelog's newest entry is this package, signed by its maintainer.
if gzip -dc "$scratch/root/$doc/changelog.gz" >"$scratch/changelog" 2>/dev/null; then
    for field in Version Maintainer; do
        [ "$(dpkg-parsechangelog -l "$scratch/changelog" -S $field)" = "$(dpkg-deb -f "$deb" $field)" ] ||
            fail "$field of the changelog's newest entry differs from the package's"
    done
fi

"$here/check-tree.sh" "$scratch/root/usr" || fail "installed tree"
[ "$failures" -eq 0 ] || exit 1
echo "package $deb checked"
