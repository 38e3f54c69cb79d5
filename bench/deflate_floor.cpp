// The deflate floor of a book as a process of its own, to be timed beside the
// converter: it reads the book, takes its text (the characters between its
// tags) as UTF-16, and compresses it with libdeflate at the converter's level
// in pieces the size of the converter's text streams. Every converted book
// carries that text so compressed, so no conversion can take less.
//
// Usage: tavorin_deflate_floor BOOK   (prints the compressed size in bytes)
#include <libdeflate.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_books.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavorin_deflate_floor BOOK\n");
        return 2;
    }
    constexpr size_t kStreamPiece = 10'000;  // about one text block: 5000 UTF-16 characters
    constexpr int kLevel = 6;                // the converter's, zlib's default
    const std::vector<uint8_t> text = tavorin::bench::TextAsUtf16(tavorin::bench::ReadBytes(argv[1]));
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kLevel);
    std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(compressor, kStreamPiece));
    size_t total = 0;
    for (size_t at = 0; at < text.size(); at += kStreamPiece) {
        const size_t piece = std::min(kStreamPiece, text.size() - at);
        total += libdeflate_zlib_compress(compressor, &text[at], piece, packed.data(), packed.size());
    }
    libdeflate_free_compressor(compressor);
    std::printf("%zu\n", total);
    return 0;
}
