#!/bin/sh
# Builds a release tree with the benchmarks, runs them, measures the peak
# memory of the converter executable on the same two books, and prints the
# figures against their targets (reported, not enforced):
#   conversion within 1.3x of the deflate floor;
#   time per MB at 20 MB within 1.2x of time per MB at the book's size;
#   peak resident memory at most 3x the input + 16 MB;
#   a 12.5 MB dictionary of short titled sections: time and peak memory per
#   MB within 3x the book's;
#   libdeflate against zlib on the text streams (zlib format, same level);
#   the cover thumbnail: time and peak memory on the largest cover of the
#   corpus and on a 16-megapixel cover, the largest the converter decodes;
#   the converter beside its deflate floor as whole processes (bench_floor.sh).
#
# Usage: scripts/bench.sh [book.fb2]   (default: the large corpus book)
#   BUILD_DIR (default build-bench next to the repository), JOBS (default 2).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/../build-bench}
book=${1:-$root/../shared/corpus/windows-1251/dumas_twenty_years_after_ru_large.fb2}
[ -f "$book" ] || { echo "bench.sh: no book at $book" >&2; exit 1; }

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVORIN_BENCH=ON -DTAVORIN_TESTS=OFF >/dev/null
cmake --build "$build" --target tavorin_c tavorin_bench tavorin_thumbnail_bench -j"${JOBS:-2}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
large="$work/large.fb2"
titled="$work/titled.fb2"

"$build/bench/tavorin_bench" --book="$book" --large-out="$large" --titled-out="$titled" \
    --benchmark_out="$work/bench.json" --benchmark_out_format=json

peak() {  # peak resident memory in KB and wall time of one conversion
    /usr/bin/time -f "%M %e" -o "$work/time.txt" \
        "$build/tavorin_c" -s "$root/default_styles.sini" -t "$work" -i "$1" -o "$work/out.lrf" >/dev/null
    cat "$work/time.txt"
}
small_peak=$(peak "$book")
large_peak=$(peak "$large")
titled_peak=$(peak "$titled")

python3 - "$work/bench.json" "$book" "$large" "$small_peak" "$large_peak" "$titled" "$titled_peak" <<'PY'
import json, os, sys
# Names carry options ("Convert/book/min_time:2.000/real_time"): keep the first two parts.
results = {"/".join(b["name"].split("/")[:2]): b for b in json.load(open(sys.argv[1]))["benchmarks"]}
book, large = sys.argv[2], sys.argv[3]
sizes = {"book": os.path.getsize(book), "book20MB": os.path.getsize(large)}
peaks = {"book": sys.argv[4].split(), "book20MB": sys.argv[5].split()}
ms = lambda name: results[name]["real_time"]  # milliseconds
mb = lambda n: n / 1e6

def verdict(ok):
    return "met" if ok else "NOT met"

print()
per_mb = {}
for name in ("book", "book20MB"):
    conv, floor = ms("Convert/" + name), ms("DeflateFloor/" + name)
    per_mb[name] = conv / mb(sizes[name])
    rss_kb, wall = int(peaks[name][0]), float(peaks[name][1])
    limit_kb = (3 * sizes[name] + 16e6) / 1024
    print(f"{name}: {mb(sizes[name]):.2f} MB, conversion {conv:.0f} ms ({per_mb[name]:.1f} ms/MB), "
          f"deflate floor {floor:.0f} ms, ratio {conv / floor:.2f} (target <= 1.3: {verdict(conv / floor <= 1.3)})")
    print(f"  executable: {wall:.2f} s wall, peak RSS {rss_kb / 1024:.1f} MB "
          f"(target <= {limit_kb / 1024:.1f} MB: {verdict(rss_kb <= limit_kb)})")
titled_mb = mb(os.path.getsize(sys.argv[6]))
titled_ms, titled_kb = ms("Convert/titled12MB") / titled_mb, int(sys.argv[7].split()[0]) / titled_mb
book_kb = int(peaks["book"][0]) / mb(sizes["book"])
print(f"titled12MB: {titled_mb:.2f} MB, {titled_ms:.0f} ms/MB ({titled_ms / per_mb['book']:.1f}x the book's), "
      f"peak RSS {titled_kb / 1024:.1f} MB/MB ({titled_kb / book_kb:.1f}x the book's) "
      f"(target <= 3x: {verdict(titled_ms <= 3 * per_mb['book'] and titled_kb <= 3 * book_kb)})")
scaling = per_mb["book20MB"] / per_mb["book"]
print(f"scaling: time per MB at 20 MB / at {mb(sizes['book']):.1f} MB = {scaling:.2f} (target <= 1.2: {verdict(scaling <= 1.2)})")
z, d = results["Streams/zlib"], results["Streams/libdeflate"]
print(f"streams: zlib {z['real_time']:.1f} ms ({z['compressed_bytes']:.0f} bytes), "
      f"libdeflate {d['real_time']:.1f} ms ({d['compressed_bytes']:.0f} bytes), "
      f"speed-up {z['real_time'] / d['real_time']:.2f}x, valid zlib output: {'yes' if d['valid_zlib'] == 1 else 'NO'}")
PY

# The thumbnail, each cover in a process of its own for its peak memory (the
# process's whole footprint: the cover's bytes, the decoders, the result).
corpus=$root/../shared/corpus
python3 - "$corpus" "$work/corpus_cover" <<'PY'
import base64, glob, re, sys, zipfile
best = (0, None)
for path in glob.glob(sys.argv[1] + "/**/*.fb2", recursive=True) + glob.glob(sys.argv[1] + "/**/*.zip", recursive=True):
    data = open(path, "rb").read()
    if data[:2] == b"PK":
        try:
            z = zipfile.ZipFile(path)
            names = [n for n in z.namelist() if not n.endswith("/")]
            data = z.read(names[0]) if len(names) == 1 else b""
        except Exception:
            continue
    cover = re.search(rb"<coverpage>.*?href=\"#?([^\"]+)\"", data, re.S)
    binary = cover and re.search(rb"<binary[^>]*id=\"" + re.escape(cover.group(1)) + rb"\"[^>]*>(.*?)</binary>", data, re.S)
    if not binary:
        continue
    raw = base64.b64decode(re.sub(rb"[^A-Za-z0-9+/]", b"", binary.group(1)) + b"===")
    if len(raw) > best[0] and raw[:3] in (b"\xff\xd8\xff", b"\x89PN"):
        best = (len(raw), raw)
if best[1]:
    open(sys.argv[2], "wb").write(best[1])
PY
"$build/bench/tavorin_thumbnail_bench" --make 4000x4000 "$work/cover_16mp.jpg"
for cover in "$work/corpus_cover" "$work/cover_16mp.jpg"; do
    [ -f "$cover" ] || continue
    result=$(/usr/bin/time -f "%M" -o "$work/time.txt" "$build/bench/tavorin_thumbnail_bench" "$cover" 10)
    echo "thumbnail of $(basename "$cover"): $result, peak RSS $(awk '{printf "%.1f MB", $1 / 1024}' "$work/time.txt")"
done

BUILD_DIR=$build "$root/scripts/bench_floor.sh" "$book"
