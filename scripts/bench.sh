#!/bin/sh
# Sets up, builds and runs every benchmark, and prints one table: what was
# measured, the figure, the floor measured in the same run, the ratio and the
# goal. Google Benchmark's own report goes to standard error. The windows are
# shown on a virtual X display (Xvfb). Extra arguments go to the benchmark
# program, e.g. --short (each measurement once, briefly) or
# --benchmark_filter=link.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default >&2
exec xvfb-run -a build/default/bench/qdm7720a-bench "$@"
