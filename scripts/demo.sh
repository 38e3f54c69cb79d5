#!/usr/bin/env bash
# Builds the converter and converts the bundled example book with the shipped
# default_styles.sini; prints where the book went, its size, pages and time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTAVORIN_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target tavorin_c lrf_dump >/dev/null

mkdir -p out
book=examples/anna_karenina_opening.fb2
output=out/anna_karenina_opening.lrf
start=$(date +%s%N)
build/release/tavorin_c -i "$book" -o "$output"
end=$(date +%s%N)
echo
pages=$(build/release/lrf_dump --summary "$output" | awk '$1 == "Page" {print $2}')
ms=$(( (end - start) / 1000000 ))
printf 'Converted %s\n     into %s (%s bytes, %s pages) in %d ms\n' \
  "$book" "$(realpath "$output")" "$(stat -c %s "$output")" "${pages:-?}" "$ms"
