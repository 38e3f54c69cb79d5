// Thumbnails of covers made here with TurboJPEG and libspng: the size that
// fits 60x80, a picture that decodes, and hostile covers refused cheaply.
#include <gtest/gtest.h>

#include <spng.h>
#include <turbojpeg.h>

#include <vector>

#include "codec/thumbnail.h"

namespace tavorin {
namespace {

using Bytes = std::vector<uint8_t>;

// A red picture of the size, encoded as JPEG (progressive when asked) or PNG.
Bytes MakeCover(int width, int height, bool png, bool progressive = false) {
    Bytes rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;
    if (png) {
        spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
        spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
        spng_ihdr ihdr{uint32_t(width), uint32_t(height), 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
        spng_set_ihdr(ctx, &ihdr);
        spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
        size_t size = 0;
        int error = 0;
        auto* data = static_cast<uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
        Bytes out(data, data + size);
        free(data);
        spng_ctx_free(ctx);
        return out;
    }
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 80,
                progressive ? TJFLAG_PROGRESSIVE : 0);
    Bytes out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}

// Sets the size a JPEG's frame header or a PNG's header declares.
Bytes Declaring(Bytes image, uint32_t width, uint32_t height) {
    if (image[0] == 0x89) {
        for (int k = 0; k < 4; ++k) {
            image[16 + k] = uint8_t(width >> (24 - 8 * k));
            image[20 + k] = uint8_t(height >> (24 - 8 * k));
        }
        return image;  // the header's CRC is left stale: the size is checked first
    }
    for (size_t at = 2; at + 9 < image.size(); at += 2 + (image[at + 2] << 8 | image[at + 3])) {
        if (image[at + 1] == 0xC0 || image[at + 1] == 0xC2) {
            image[at + 5] = uint8_t(height >> 8), image[at + 6] = uint8_t(height);
            image[at + 7] = uint8_t(width >> 8), image[at + 8] = uint8_t(width);
            break;
        }
    }
    return image;
}

TEST(Thumbnail, FitsTheBoxAndDecodes) {
    struct Case {
        int width, height;
        bool png, progressive;
        int fitWidth, fitHeight;
    };
    const Case cases[] = {
        {600, 800, false, false, 60, 80}, {1600, 1200, false, true, 60, 45}, {300, 2000, true, false, 12, 80},
        {40, 30, true, false, 40, 30},  // never enlarged
    };
    for (const Case& c : cases) {
        Thumbnail thumbnail;
        std::string error;
        ASSERT_TRUE(MakeThumbnail(MakeCover(c.width, c.height, c.png, c.progressive), thumbnail, error)) << error;
        tjhandle tj = tjInitDecompress();
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        Bytes pixels(size_t(c.fitWidth) * c.fitHeight * 3);
        EXPECT_EQ(tjDecompressHeader3(tj, thumbnail.jpeg.data(), thumbnail.jpeg.size(), &width, &height, &subsampling,
                                      &colourspace), 0);
        EXPECT_EQ(width, c.fitWidth);
        EXPECT_EQ(height, c.fitHeight);
        EXPECT_EQ(tjDecompress2(tj, thumbnail.jpeg.data(), thumbnail.jpeg.size(), pixels.data(), width, 0, height,
                                TJPF_RGB, 0), 0);
        tjDestroy(tj);
        EXPECT_NEAR(pixels[3 * (width * height / 2)], 200, 8) << "the cover's colour";
    }
}

TEST(Thumbnail, DamagedAndHostileCoversAreRefused) {
    const Bytes jpeg = MakeCover(64, 64, false);
    const Bytes cases[] = {
        Declaring(MakeCover(16, 16, true), 100000, 100000),
        Declaring(jpeg, 65000, 65000),
        Declaring(MakeCover(16, 16, false, true), 3000, 3000),  // progressive: every pixel's coefficients kept
        Bytes(jpeg.begin(), jpeg.begin() + 100),
        Bytes{0x89, 'P', 'N', 'G', 1, 2, 3},
        Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
    };
    for (const Bytes& cover : cases) {
        Thumbnail thumbnail;
        std::string error;
        EXPECT_FALSE(MakeThumbnail(cover, thumbnail, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace tavorin
