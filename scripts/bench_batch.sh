#!/bin/sh
# Measures the batch command on a library made of the shared corpus books
# that convert (every one of them repeated in folders copy01, copy02, ... until
# the library holds at least BOOKS books), in a release build:
#   books per second with -j 1 and with -j 2, and the speed-up (goal >= 1.8x
#   on two cores);
#   the batch's own cost per book (goal < 5 ms), two ways: the -j 1 batch
#   against a tight shell loop of single-book conversions of the same books,
#   and the -j 1 batch's wall time minus the sum of its children's times
#   (the report's milliseconds column).
# The load average before each run is printed: other work on the machine
# changes every figure.
#
# Usage: scripts/bench_batch.sh
#   BOOKS (default 500), BUILD_DIR (default build/bench in the repository),
#   JOBS for the build (default 2), CORPUS (default ../shared/corpus).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench}
corpus=${CORPUS:-$root/../shared/corpus}
want=${BOOKS:-500}
[ -d "$corpus" ] || { echo "bench_batch.sh: no corpus at $corpus" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVORIN_TESTS=OFF >/dev/null
cmake --build "$build" --target tavorin_c -j"${JOBS:-2}" >/dev/null
exe=$build/tavorin_c
settings=$root/default_styles.sini

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/good" "$work/tmp"

# The corpus books that convert (the malformed folder is left out).
for f in "$corpus"/utf-8/*.fb2 "$corpus"/windows-1251/*.fb2 "$corpus"/koi8-r/*.fb2 "$corpus"/zip/*.zip; do
    if "$exe" -s "$settings" -t "$work/tmp" -i "$f" -o "$work/probe.lrf" >/dev/null 2>&1; then
        # The folder's name keeps apart books of one name (a book and its zip).
        cp "$f" "$work/good/$(basename "$(dirname "$f")")-$(basename "$f")"
    fi
done
per_copy=$(ls "$work/good" | wc -l)
copies=$(( (want + per_copy - 1) / per_copy ))
i=1
while [ "$i" -le "$copies" ]; do
    mkdir -p "$work/lib/copy$(printf %02d "$i")"
    cp "$work/good/"* "$work/lib/copy$(printf %02d "$i")/"
    i=$((i + 1))
done
books=$((per_copy * copies))
bytes=$(du -sb "$work/lib" | cut -f1)
echo "library: $books books ($per_copy corpus books x $copies), $((bytes / 1000000)) MB; $(nproc) cores"

now() { date +%s.%N; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

batch() {  # jobs output-folder report: prints the wall seconds
    start=$(now)
    "$exe" -s "$settings" -t "$work/tmp" -j "$1" -i "$work/lib" -o "$2" --report "$3" >/dev/null ||
        echo "bench_batch.sh: the -j $1 batch ended with code $? (see the report)" >&2
    awk "BEGIN { print $(now) - $start }"
}

echo "load before -j 1: $(load)"
j1=$(batch 1 "$work/out1" "$work/r1.csv")
echo "load before -j 2: $(load)"
j2=$(batch 2 "$work/out2" "$work/r2.csv")

echo "load before the loop: $(load)"
start=$(now)
find "$work/lib" -type f | sort | while read -r f; do
    "$exe" -s "$settings" -t "$work/tmp" -i "$f" -o "$work/loop.lrf" >/dev/null
done
loop=$(awk "BEGIN { print $(now) - $start }")

python3 - "$books" "$j1" "$j2" "$loop" "$work/r1.csv" <<'PY'
import csv, sys
books, j1, j2, loop = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
rows = list(csv.DictReader(open(sys.argv[5], newline="")))
converted = sum(1 for r in rows if r["result"] == "converted")
children = sum(int(r["milliseconds"]) for r in rows if r["milliseconds"]) / 1000.0
verdict = lambda ok: "met" if ok else "NOT met"
print(f"-j 1: {j1:.2f} s, {books / j1:.1f} books/s ({converted} of {len(rows)} converted)")
print(f"-j 2: {j2:.2f} s, {books / j2:.1f} books/s")
print(f"speed-up -j 2 against -j 1: {j1 / j2:.2f}x (goal >= 1.8: {verdict(j1 / j2 >= 1.8)})")
print(f"tight loop of single conversions: {loop:.2f} s, {books / loop:.1f} books/s")
per_loop = (j1 - loop) / books * 1000
per_children = (j1 - children) / books * 1000
print(f"batch cost per book: {per_loop:.2f} ms against the loop, {per_children:.2f} ms against the sum of "
      f"child times (goal < 5 ms: {verdict(max(per_loop, per_children) < 5)})")
PY
