// Thumbnails of PNG covers made here (JPEG covers come with the books of the
// end-to-end tests): the size that fits 60x80, and hostile or damaged covers
// refused without being decoded.
#include <gtest/gtest.h>
#include <spng.h>
#include <zlib.h>

#include "codec/thumbnail.h"

namespace tavorin {
namespace {

// A grey PNG; its header may then declare a square of another side (with the header's CRC made right).
std::vector<uint8_t> Png(uint32_t width, uint32_t height, uint32_t declaredSide = 0) {
    const std::vector<uint8_t> rgb(size_t(width) * height * 3, 128);
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{width, height, 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
    spng_set_ihdr(ctx, &ihdr);
    spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    int error = 0;
    auto* data = static_cast<uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
    std::vector<uint8_t> png(data, data + size);
    free(data);
    spng_ctx_free(ctx);
    for (int k = 0; declaredSide && k < 4; ++k) png[16 + k] = png[20 + k] = uint8_t(declaredSide >> (24 - 8 * k));
    const uint32_t crc = crc32(0, &png[12], 17);
    for (int k = 0; k < 4; ++k) png[29 + k] = uint8_t(crc >> (24 - 8 * k));
    return png;
}

TEST(Thumbnail, FitsTheBoxOrIsRefused) {
    const struct {
        std::vector<uint8_t> cover;
        int width, height;  // 0: refused
    } cases[] = {{Png(300, 2000), 12, 80},
                 {Png(40, 30), 40, 30},  // never enlarged
                 {Png(16, 16, 100000), 0, 0},
                 {[] { auto cut = Png(64, 64); cut.resize(60); return cut; }(), 0, 0},
                 {{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, 0, 0}};
    for (const auto& c : cases) {
        Thumbnail thumbnail;
        std::string error;
        EXPECT_EQ(MakeThumbnail(c.cover, thumbnail, error), c.width > 0) << error;
        EXPECT_EQ(thumbnail.width * 1000 + thumbnail.height, c.width * 1000 + c.height);
        EXPECT_EQ(thumbnail.jpeg.empty(), c.width == 0);
    }
}

}  // namespace
}  // namespace tavorin
