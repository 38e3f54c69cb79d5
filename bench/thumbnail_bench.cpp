// The thumbnail of a cover: time per thumbnail, run in a process of its own
// so that scripts/bench.sh can add its peak memory, and a maker of large
// covers (a noisy picture, so that its JPEG is as big as a photograph's).
//
// Usage: tavorin_thumbnail_bench COVER [REPEATS]
//        tavorin_thumbnail_bench --make WIDTHxHEIGHT OUT.jpg
#include <turbojpeg.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_books.h"
#include "codec/thumbnail.h"

namespace {

int MakeCover(const char* size, const char* path) {
    int width = 0, height = 0;
    if (std::sscanf(size, "%dx%d", &width, &height) != 2 || width < 1 || height < 1) return 1;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    uint32_t noise = 12345;
    for (size_t i = 0; i < rgb.size(); ++i) {
        noise = noise * 1103515245 + 12345;
        rgb[i] = static_cast<uint8_t>((i / 3 % width) * 255 / width / 2 + (noise >> 26));
    }
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long bytes = 0;
    const int status = tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &bytes, TJSAMP_420, 85, 0);
    if (status == 0) tavorin::bench::WriteBytes(path, std::vector<uint8_t>(jpeg, jpeg + bytes));
    tjFree(jpeg);
    tjDestroy(tj);
    return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--make") return MakeCover(argv[2], argv[3]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavorin_thumbnail_bench COVER [REPEATS] | --make WxH OUT.jpg\n");
        return 1;
    }
    const std::vector<uint8_t> cover = tavorin::bench::ReadBytes(argv[1]);
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    tavorin::Thumbnail thumbnail;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i) {
        if (!tavorin::MakeThumbnail(cover, thumbnail, error)) {
            std::fprintf(stderr, "no thumbnail: %s\n", error.c_str());
            return 1;
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.2f ms per thumbnail (%zu bytes of cover, thumbnail %dx%d, %zu bytes)\n", ms / repeats, cover.size(),
                thumbnail.width, thumbnail.height, thumbnail.jpeg.size());
    return 0;
}
