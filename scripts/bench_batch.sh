#!/bin/sh
# Measures the batch command on a library made of the shared corpus books
# that convert (every one of them repeated in folders copy01, copy02, ... until
# the library holds at least BOOKS books), in a release build:
#   books per second with -j 1 and with -j 2, and the speed-up (goal >= 1.8x
#   on two cores);
#   the batch's own cost per book (goal < 5 ms), three ways: the -j 1 batch
#   against a tight shell loop of single-book conversions of the same books,
#   the -j 1 batch's wall time minus the sum of its children's times (the
#   report's milliseconds column), and the CPU time of the -j 1 batch's own
#   process (its children's not counted), which other load does not change.
# Other work on the machine changes every figure, so each run also prints
# the CPU time it used and how many cores other processes kept busy meanwhile
# (the machine's busy time from /proc/stat minus ours).
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

# Busy CPU seconds of the whole machine so far (user, nice, system, irq,
# softirq and steal time from /proc/stat).
busy() { awk '/^cpu / { print ($2 + $3 + $4 + $7 + $8 + $9) / 100 }' /proc/stat; }

# run NAME COMMAND...: prints "NAME wall our-cpu machine-busy", in seconds;
# our CPU time counts the children too (they are waited for).
run() {
    name=$1
    shift
    b0=$(busy)
    /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" >/dev/null 2>&1 ||
        echo "bench_batch.sh: $name ended with an error (see its report)" >&2
    b1=$(busy)
    read -r wall user sys < "$work/time.txt"
    echo "$name $wall $(awk "BEGIN { print $user + $sys }") $(awk "BEGIN { print $b1 - $b0 }")"
}

# Runs a command and writes the CPU seconds of its own process, without its
# children's, to the file named first: read from /proc once the process has
# ended, before it is reaped.
cat > "$work/own.py" <<'OWN'
import os, subprocess, sys
p = subprocess.Popen(sys.argv[2:])
os.waitid(os.P_PID, p.pid, os.WEXITED | os.WNOWAIT)
fields = open(f"/proc/{p.pid}/stat").read().rsplit(")", 1)[1].split()
open(sys.argv[1], "w").write(str((int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")))
sys.exit(p.wait())
OWN

# The tight loop: one single-book conversion after another, from a list.
find "$work/lib" -type f | sort > "$work/books.txt"
{
    echo 'while read -r f; do'
    echo "    '$exe' -s '$settings' -t '$work/tmp' -i \"\$f\" -o '$work/loop.lrf' >/dev/null"
    echo "done < '$work/books.txt'"
} > "$work/loop.sh"

{
    run j1 python3 "$work/own.py" "$work/own.txt" "$exe" -s "$settings" -t "$work/tmp" -j 1 -i "$work/lib" \
        -o "$work/out1" --report "$work/r1.csv"
    run j2 "$exe" -s "$settings" -t "$work/tmp" -j 2 -i "$work/lib" -o "$work/out2" --report "$work/r2.csv"
    run loop sh "$work/loop.sh"
} > "$work/runs.txt"

python3 - "$books" "$work/runs.txt" "$work/r1.csv" "$(nproc)" "$work/own.txt" <<'PY'
import csv, sys
books, cores = int(sys.argv[1]), int(sys.argv[4])
own = float(open(sys.argv[5]).read())
runs = {name: (float(wall), float(ours), float(busy))
        for name, wall, ours, busy in (line.split() for line in open(sys.argv[2]))}
rows = list(csv.DictReader(open(sys.argv[3], newline="")))
converted = sum(1 for r in rows if r["result"] == "converted")
children = sum(int(r["milliseconds"]) for r in rows if r["milliseconds"]) / 1000.0
verdict = lambda ok: "met" if ok else "NOT met"

def show(label, name):
    wall, ours, busy = runs[name]
    others = max(0.0, busy - ours) / wall  # cores kept busy by other work during the run
    print(f"{label}: {wall:.2f} s, {books / wall:.1f} books/s; our CPU {ours:.1f} s ({ours / wall:.2f} cores), "
          f"other load {others:.2f} of {cores} cores")

show("-j 1", "j1")
show("-j 2", "j2")
show("tight loop of single conversions", "loop")
j1, j2, loop = runs["j1"][0], runs["j2"][0], runs["loop"][0]
print(f"books converted by -j 1: {converted} of {len(rows)}")
print(f"speed-up -j 2 against -j 1: {j1 / j2:.2f}x (goal >= 1.8: {verdict(j1 / j2 >= 1.8)})")
per_loop = (j1 - loop) / books * 1000
per_children = (j1 - children) / books * 1000
print(f"batch cost per book: {per_loop:.2f} ms against the loop, {per_children:.2f} ms against the sum of "
      f"child times (goal < 5 ms: {verdict(max(per_loop, per_children) < 5)}); the batch process's own CPU "
      f"{own / books * 1000:.2f} ms")
PY
