#!/bin/sh
# Installs what building, running and testing the program need on Debian 12
# (or a derivative), and any packages named as arguments. Runs apt-get as
# root, through sudo when needed.
set -eu

packages="build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libhidapi-dev"
# The Link Test window's chart: Qt Charts (whose CMake files need Qt's OpenGL
# ones, which Debian 12 does not bring in with it).
packages="$packages qt6-charts-dev libqt6opengl6-dev"
# The Python module: pybind11 and Debian's Python 3 headers; its tests: pytest.
packages="$packages pybind11-dev python3-pybind11 python3-dev python3-pytest"
# The scenario transcripts of the tests: cram.
packages="$packages python3-cram"
# Benchmarks: Google Benchmark, and a virtual X display to show windows on.
packages="$packages libbenchmark-dev xvfb xauth"
# Checking the installed files, building the Debian package and checking it
# against Debian's policy (lintian).
packages="$packages desktop-file-utils appstream man-db dpkg-dev file lintian"
# Whatever a caller needs besides (the fuzzers' compiler, say).
packages="$packages $*"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi
echo "Installing:$missing"
$as_root apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
