#!/bin/sh
# Sets up, builds and runs every test (no display or board needed). With
# "sanitize", the tests are built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, in the build that also holds the fuzz targets.
set -eu
cd "$(dirname "$0")/.."
preset="${1:-default}"
if [ "$preset" = sanitize ]; then
    scripts/setup.sh clang libclang-rt-14-dev
else
    scripts/setup.sh
fi
scripts/build.sh "$preset"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$(nproc)"
