#!/bin/sh
# Sets up, builds the Debian package of the program into
# build/default/packages/ and checks it.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
rm -rf build/default/packages
(cd build/default && cpack -G DEB >/dev/null)
for deb in build/default/packages/*.deb; do
    QT_QPA_PLATFORM=offscreen packaging/linux/check-deb.sh "$deb"
done
