#!/bin/sh
# Times the converter beside its deflate floor (libdeflate alone compressing
# the book's text in the converter's stream pieces), both as whole processes
# in one run, output on a memory file system; the best of seven runs each,
# taken in turns. With OLD_CONVERTER set, an older converter executable runs
# in the same turns, for a before-and-after figure.
#
# Usage: scripts/bench_floor.sh [book.fb2]   (default: the large corpus book)
#   BUILD_DIR (default build-bench next to the repository), JOBS (default 2).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/../build-bench}
book=${1:-$root/../shared/corpus/windows-1251/dumas_twenty_years_after_ru_large.fb2}
[ -f "$book" ] || { echo "bench_floor.sh: no book at $book" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVORIN_BENCH=ON -DTAVORIN_TESTS=OFF >/dev/null
cmake --build "$build" --target tavorin_c tavorin_deflate_floor -j"${JOBS:-2}" >/dev/null

python3 - "$build/tavorin_c" "$build/bench/tavorin_deflate_floor" "$book" "$root/default_styles.sini" \
    "${OLD_CONVERTER:-}" <<'PY'
import os, subprocess, sys, tempfile, time
converter, floor, book, settings, old = sys.argv[1:6]
work = tempfile.mkdtemp(dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
commands = {"floor": [floor, book],
            "converter": [converter, "-s", settings, "-t", work + "/", "-i", book, "-o", work + "/new.lrf"]}
if old:
    commands["old converter"] = [old, "-s", settings, "-t", work + "/", "-i", book, "-o", work + "/old.lrf"]
best = {name: float("inf") for name in commands}
for _ in range(7):
    for name, command in commands.items():
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        best[name] = min(best[name], time.perf_counter() - start)
print(f"{os.path.basename(book)}: deflate floor {best['floor'] * 1000:.0f} ms")
for name in commands:
    if name != "floor":
        print(f"  {name}: {best[name] * 1000:.0f} ms, {best[name] / best['floor']:.2f}x the floor")
for name in os.listdir(work):
    os.remove(os.path.join(work, name))
os.rmdir(work)
PY
