#!/bin/sh
# Sets up, builds the Debian package of the program into
# build/default/packages/ and checks it: its files (check-deb.sh), and lintian,
# which must report no error and no warning. QDM_PACKAGE_MAINTAINER="Name
# <address>" names the package's maintainer; without it the package names a
# placeholder on localhost, and the only report tolerated is lintian's
# bogus-mail-host for that placeholder (in the Maintainer field and in the
# changelog, which the maintainer signs).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default -DQDM_PACKAGE_MAINTAINER="${QDM_PACKAGE_MAINTAINER:-}" >/dev/null
scripts/build.sh default
rm -rf build/default/packages
(cd build/default && cpack -G DEB >/dev/null)

if [ -n "${QDM_PACKAGE_MAINTAINER:-}" ]; then
    tolerated='^$'
else
    tolerated='^E: [^ ]+: bogus-mail-host(-in-debian-changelog)? '
fi
status=0
for deb in build/default/packages/*.deb; do
    QT_QPA_PLATFORM=offscreen packaging/linux/check-deb.sh "$deb" || status=1
    # Judged here on the tags shown (errors and warnings), so that a failure
    # of lintian itself is not taken for a clean package.
    report=$(lintian --fail-on none "$deb" 2>&1) || {
        echo "$report" >&2
        echo "FAIL: lintian did not run on $deb" >&2
        status=1
        continue
    }
    [ -z "$report" ] || echo "$report"
    if echo "$report" | grep -E '^[EW]: ' | grep -qvE "$tolerated"; then
        echo "FAIL: lintian reports errors or warnings on $deb" >&2
        status=1
    else
        echo "lintian: $deb passes"
    fi
done
exit $status
