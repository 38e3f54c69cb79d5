// Thumbnails of covers made here: the size fitting 60x80 in a JPEG that
// decodes, and damaged or hostile covers refused without decoding them.
#include <gtest/gtest.h>
#include <spng.h>
#include <turbojpeg.h>

#include "codec/thumbnail.h"

namespace tavorin {
namespace {

// A grey JPEG (TurboJPEG flags) or PNG (flags < 0; its header may declare a
// square of another side).
std::vector<uint8_t> Cover(int width, int height, int flags, uint32_t declaredSide = 0) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3, 128), out;
    unsigned char* data = nullptr;
    size_t size = 0;
    if (flags < 0) {
        spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
        spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
        spng_ihdr ihdr{uint32_t(width), uint32_t(height), 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
        spng_set_ihdr(ctx, &ihdr);
        spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
        int error = 0;
        data = static_cast<unsigned char*>(spng_get_png_buffer(ctx, &size, &error));
        spng_ctx_free(ctx);
        out.assign(data, data + size);
        free(data);
        for (int k = 0; declaredSide && k < 4; ++k) out[16 + k] = out[20 + k] = uint8_t(declaredSide >> (24 - 8 * k));
        return out;
    }
    tjhandle tj = tjInitCompress();
    unsigned long jpegSize = 0;
    tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &data, &jpegSize, TJSAMP_420, 80, flags);
    out.assign(data, data + jpegSize);
    tjFree(data);
    tjDestroy(tj);
    return out;
}

TEST(Thumbnail, FitsTheBoxOrIsRefused) {
    const struct {
        std::vector<uint8_t> cover;
        int width, height;  // 0: refused
    } cases[] = {
        {Cover(600, 800, 0), 60, 80},
        {Cover(1600, 1200, TJFLAG_PROGRESSIVE), 60, 45},
        {Cover(300, 2000, -1), 12, 80},
        {Cover(40, 30, -1), 40, 30},  // never enlarged
        {Cover(16, 16, -1, 100000), 0, 0},
        {Cover(3000, 3000, TJFLAG_PROGRESSIVE), 0, 0},  // its decoder would hold every pixel
        {[] { auto cut = Cover(64, 64, 0); cut.resize(100); return cut; }(), 0, 0},
        {{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        Thumbnail thumbnail;
        std::string error;
        ASSERT_EQ(MakeThumbnail(c.cover, thumbnail, error), c.width > 0) << error;
        if (c.width == 0) continue;
        ASSERT_EQ(thumbnail.width * 1000 + thumbnail.height, c.width * 1000 + c.height);
        tjhandle tj = tjInitDecompress();
        std::vector<uint8_t> pixels(size_t(c.width) * c.height * 3);
        EXPECT_EQ(tjDecompress2(tj, thumbnail.jpeg.data(), thumbnail.jpeg.size(), pixels.data(), c.width, 0, c.height,
                                TJPF_RGB, 0), 0);
        tjDestroy(tj);
        EXPECT_NEAR(pixels[pixels.size() / 2], 128, 4);
    }
}

}  // namespace
}  // namespace tavorin
