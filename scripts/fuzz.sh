#!/bin/sh
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a number of seconds on a copy
# of its seed corpus. Crashing inputs are written to <build>/fuzz-<target>/.
#
# Usage: scripts/fuzz.sh [seconds per target] [target ...]
#   targets: convert settings unicode_reader image (default: all)
#   BUILD_DIR (default build-fuzz next to the repository), JOBS (default 2).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/../build-fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-convert settings unicode_reader image}

CXX=${CXX:-clang++} CC=${CC:-clang} cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVORIN_FUZZ=ON -DTAVORIN_SANITIZE=ON -DTAVORIN_TESTS=OFF >/dev/null

status=0
for target in $targets; do
    cmake --build "$build" --target "${target}_fuzzer" -j"${JOBS:-2}"
    work="$build/fuzz-$target"
    mkdir -p "$work/corpus"
    cp -n "$root/tests/fuzz/seeds/$target/"* "$work/corpus/" 2>/dev/null || true
    # Whole books may nest thousands of elements deep: the conversion target
    # takes inputs of up to 1 MB, the others 64 KB.
    max_len=65536
    [ "$target" = convert ] && max_len=1048576
    echo "== $target: ${seconds}s"
    (cd "$work" && "$build/tests/fuzz/${target}_fuzzer" corpus -max_total_time="$seconds" \
        -max_len=$max_len -timeout=30 -rss_limit_mb=2048 -print_final_stats=1) || status=1
done
exit $status
