#!/bin/sh
# Sets up, builds and runs every test (no display or board needed).
set -eu
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/setup.sh
scripts/build.sh "$preset"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$(nproc)"
