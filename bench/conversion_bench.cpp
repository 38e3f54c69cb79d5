// Conversion speed against its floor. The floor of a book is the time zlib
// needs to deflate the book's text (what stands between its tags) as UTF-16
// at its default level in one piece: every converted book carries that text
// in compressed streams, so no conversion can be much faster. Measured on the large corpus book (or --book=PATH) and
// on a 20 MB book made by repeating its body; and zlib against libdeflate on
// the text cut into pieces the size of the converter's text streams.
//
// And on a 12.5 MB dictionary of short titled sections (a page, a running
// footer and a contents entry per entry), whose cost per MB is set against
// the corpus book's.
//
// Usage: tavorin_bench [--book=PATH] [--large-out=PATH] [--titled-out=PATH] [benchmark options]
//   --large-out and --titled-out keep the 20 MB book and the dictionary at
//   PATH (scripts/bench.sh measures their peak memory with the executable).
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_books.h"
#include "tavorin/convert.h"
#include "text/console.h"

namespace tavorin::bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kLargeBookSize = 20'000'000;
constexpr size_t kTitledBookSize = 12'500'000;
constexpr size_t kStreamPiece = 10'000;  // about one text block: 5000 UTF-16 characters

struct Book {
    std::string name;
    std::string path;
    size_t size = 0;
    std::vector<uint8_t> utf16;
};

void Convert(benchmark::State& state, const Book& book, const std::string& workDir) {
    const std::string settings = std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini";
    const std::string output = workDir + "/out.lrf";
    for (auto _ : state) {
        StringSink printed;
        const int code = ConvertBook(book.path, output, settings, workDir, printed).exitCode;
        if (code != 0) {
            state.SkipWithError(("the converter ended with exit code " + std::to_string(code)).c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.size));
    state.counters["output_bytes"] = static_cast<double>(fs::exists(output) ? fs::file_size(output) : 0);
}

void DeflateFloor(benchmark::State& state, const Book& book) {
    std::vector<uint8_t> packed(compressBound(static_cast<uLong>(book.utf16.size())));
    uLongf packedSize = 0;
    for (auto _ : state) {
        packedSize = static_cast<uLongf>(packed.size());
        compress2(packed.data(), &packedSize, book.utf16.data(), static_cast<uLong>(book.utf16.size()),
                  Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.size));
    state.counters["deflated_bytes"] = static_cast<double>(packedSize);
}

// The text in stream-sized pieces, each deflated on its own, as the writer does.
void StreamsZlib(benchmark::State& state, const Book& book) {
    std::vector<uint8_t> packed(compressBound(kStreamPiece));
    size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (size_t at = 0; at < book.utf16.size(); at += kStreamPiece) {
            const size_t piece = std::min(kStreamPiece, book.utf16.size() - at);
            uLongf packedSize = static_cast<uLongf>(packed.size());
            compress2(packed.data(), &packedSize, &book.utf16[at], static_cast<uLong>(piece), Z_DEFAULT_COMPRESSION);
            total += packedSize;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.utf16.size()));
    state.counters["compressed_bytes"] = static_cast<double>(total);
}

// The same with libdeflate at zlib's default level, in zlib format; every
// piece is inflated by zlib once to prove the output valid.
void StreamsLibdeflate(benchmark::State& state, const Book& book) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(compressor, kStreamPiece));
    std::vector<uint8_t> unpacked(kStreamPiece);
    bool valid = true;
    for (size_t at = 0; at < book.utf16.size(); at += kStreamPiece) {
        const size_t piece = std::min(kStreamPiece, book.utf16.size() - at);
        const size_t packedSize = libdeflate_zlib_compress(compressor, &book.utf16[at], piece, packed.data(), packed.size());
        uLongf unpackedSize = static_cast<uLongf>(unpacked.size());
        valid = valid && packedSize > 0 &&
                uncompress(unpacked.data(), &unpackedSize, packed.data(), static_cast<uLong>(packedSize)) == Z_OK &&
                unpackedSize == piece && std::equal(unpacked.begin(), unpacked.begin() + static_cast<std::ptrdiff_t>(piece), &book.utf16[at]);
    }
    size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (size_t at = 0; at < book.utf16.size(); at += kStreamPiece) {
            const size_t piece = std::min(kStreamPiece, book.utf16.size() - at);
            total += libdeflate_zlib_compress(compressor, &book.utf16[at], piece, packed.data(), packed.size());
        }
    }
    libdeflate_free_compressor(compressor);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * book.utf16.size()));
    state.counters["compressed_bytes"] = static_cast<double>(total);
    state.counters["valid_zlib"] = valid ? 1 : 0;
}

// Takes --name=value options of this program out of the arguments.
std::string TakeOption(int& argc, char** argv, const std::string& name) {
    const std::string prefix = "--" + name + "=";
    std::string value;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(prefix, 0) == 0) value = arg.substr(prefix.size());
        else argv[kept++] = argv[i];
    }
    argc = kept;
    return value;
}

}  // namespace
}  // namespace tavorin::bench

int main(int argc, char** argv) {
    using namespace tavorin::bench;
    std::string bookPath = TakeOption(argc, argv, "book");
    std::string largePath = TakeOption(argc, argv, "large-out");
    std::string titledPath = TakeOption(argc, argv, "titled-out");
    benchmark::Initialize(&argc, argv);
    if (bookPath.empty()) bookPath = DefaultBookPath();
    if (bookPath.empty()) {
        std::fprintf(stderr, "tavorin_bench: no book; the shared corpus is missing, pass --book=PATH\n");
        return 1;
    }

    std::string workPattern = (fs::temp_directory_path() / "tavorin_bench_XXXXXX").string();
    if (!mkdtemp(workPattern.data())) return 1;
    const std::string workDir = workPattern;
    if (largePath.empty()) largePath = workDir + "/large.fb2";
    if (titledPath.empty()) titledPath = workDir + "/titled.fb2";

    const std::vector<uint8_t> bytes = ReadBytes(bookPath);
    const std::vector<uint8_t> large = EnlargeBook(bytes, kLargeBookSize);
    WriteBytes(largePath, large);
    const Book small{"book", bookPath, bytes.size(), TextAsUtf16(bytes)};
    const Book big{"book20MB", largePath, large.size(), TextAsUtf16(large)};
    const std::vector<uint8_t> titledBytes = TitledSectionsBook(kTitledBookSize);
    WriteBytes(titledPath, titledBytes);
    const Book titled{"titled12MB", titledPath, titledBytes.size(), {}};

    for (const Book* book : {&small, &big}) {
        benchmark::RegisterBenchmark(("Convert/" + book->name).c_str(), Convert, *book, workDir)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(book == &big ? 5.0 : 2.0);
        benchmark::RegisterBenchmark(("DeflateFloor/" + book->name).c_str(), DeflateFloor, *book)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("Convert/titled12MB", Convert, titled, workDir)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(5.0);
    benchmark::RegisterBenchmark("Streams/zlib", StreamsZlib, small)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("Streams/libdeflate", StreamsLibdeflate, small)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove(workDir + "/out.lrf", ignored);
    fs::remove(workDir + "/large.fb2", ignored);
    fs::remove(workDir + "/titled.fb2", ignored);
    fs::remove(workDir, ignored);
    return 0;
}
