#!/usr/bin/env bash
# Builds and runs every test: the whole suite in an optimised build, then again with AddressSanitizer and UndefinedBehaviorSanitizer,
# then the test of books converted on several threads at once with ThreadSanitizer.
# The end-to-end tests read the converted books back with calibre.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 900
}

run_suite build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVORIN_SANITIZE=ON

# ThreadSanitizer: only the threads test and the executable it compares with.
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVORIN_TSAN=ON >/dev/null
cmake --build build/tsan --target threads_tests tavorin_c -j"$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/threads/tsan.supp \
  ctest --test-dir build/tsan --output-on-failure -L threads_tests --timeout 900
echo "All tests passed."
