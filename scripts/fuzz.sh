#!/bin/sh
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer;
# the "sanitize" build, which the sanitizer tests share) and runs each one for
# SECONDS (default 60) on a copy of its seed corpus. A failing input is kept in
# build/sanitize/findings/ and fails the script.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh clang libclang-rt-14-dev
cmake --preset sanitize >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

findings="build/sanitize/findings"
mkdir -p "$findings"
status=0
for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work="build/sanitize/corpus/$target"
    mkdir -p "$work"
    cp -n "$seeds"* "$work"/ 2>/dev/null || true
    echo "== $target: $seconds s"
    if ! "build/sanitize/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" 2>"build/sanitize/$target.log"; then
        tail -n 40 "build/sanitize/$target.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|Done' "build/sanitize/$target.log" | tail -n 2
    fi
done
exit $status
