// Tests of image probing and the PNG palette fix on images built here, with
// every truncated length of them to make sure no probe reads past the data.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/image_probe.h"

namespace tavorin {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }

void AppendBigEndian(Bytes& out, uint32_t value, int size) {
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t ChunkCrc(const uint8_t* typeAndData, size_t size) {
    return static_cast<uint32_t>(crc32_z(0, typeAndData, size));
}

void AppendChunk(Bytes& png, std::string_view type, const Bytes& data) {
    AppendBigEndian(png, static_cast<uint32_t>(data.size()), 4);
    const size_t start = png.size();
    png.insert(png.end(), type.begin(), type.end());
    png.insert(png.end(), data.begin(), data.end());
    AppendBigEndian(png, ChunkCrc(&png[start], png.size() - start), 4);
}

// A PNG of the given header with optional PLTE and tRNS chunks (omitted when
// empty) and a token IDAT.
Bytes MakePng(uint32_t width, uint32_t height, uint8_t colourType, const Bytes& palette = {}, const Bytes& alphas = {}) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    AppendBigEndian(header, width, 4);
    AppendBigEndian(header, height, 4);
    Append(header, {8, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    if (!palette.empty()) AppendChunk(png, "PLTE", palette);
    if (!alphas.empty()) AppendChunk(png, "tRNS", alphas);
    AppendChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01});
    AppendChunk(png, "IEND", {});
    return png;
}

// A palette of `count` grey entries 0x10 * i, so each entry is recognisable.
Bytes GreyPalette(int count) {
    Bytes palette;
    for (int i = 0; i < count; ++i) Append(palette, {uint8_t(0x10 * i), uint8_t(0x10 * i), uint8_t(0x10 * i)});
    return palette;
}

// A 16-colour image whose entries 2 and 5 are fully transparent.
Bytes SixteenColourPng() {
    Bytes alphas(16, 0xFF);
    alphas[2] = 0;
    alphas[5] = 0;
    return MakePng(4, 4, 3, GreyPalette(16), alphas);
}

// True when every chunk after the signature carries the CRC of its type and data.
bool AllChunkCrcsValid(const Bytes& png) {
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const uint32_t length = (uint32_t{png[pos]} << 24) | (png[pos + 1] << 16) | (png[pos + 2] << 8) | png[pos + 3];
        if (pos + 12 + length > png.size()) return false;
        const uint8_t* crc = &png[pos + 8 + length];
        const uint32_t stored = (uint32_t{crc[0]} << 24) | (crc[1] << 16) | (crc[2] << 8) | crc[3];
        if (stored != ChunkCrc(&png[pos + 4], 4 + length)) return false;
        pos += 12 + length;
    }
    return pos == png.size();
}

size_t PaletteEntryOffset(const Bytes& png, size_t entry) {
    const std::string_view text(reinterpret_cast<const char*>(png.data()), png.size());
    return text.find("PLTE") + 4 + 3 * entry;
}

// SOI, APP0 (JFIF), DQT, SOF0 of the given size, DHT, SOS, scan data, EOI.
Bytes MakeJpeg(uint16_t width, uint16_t height, bool withApp0AndDqt = true) {
    Bytes jpeg = {0xFF, 0xD8};
    if (withApp0AndDqt) {
        Append(jpeg, {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
        Append(jpeg, {0xFF, 0xDB, 0x00, 0x43, 0x00});
        jpeg.insert(jpeg.end(), 64, 1);
    }
    Append(jpeg, {0xFF, 0xC0, 0x00, 0x11, 8});
    AppendBigEndian(jpeg, height, 2);
    AppendBigEndian(jpeg, width, 2);
    Append(jpeg, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    Append(jpeg, {0xFF, 0xC4, 0x00, 0x14, 0x00});
    jpeg.insert(jpeg.end(), 16, 0);
    Append(jpeg, {0x01});
    Append(jpeg, {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0});
    Append(jpeg, {0xF8, 0x00, 0x12, 0x34, 0x56, 0x78});
    Append(jpeg, {0xFF, 0xD9});
    return jpeg;
}

// GIF of 300 x 2; BMP of 70 x 20 stored top down (height -20), and with the
// old 12-byte core header.
const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 44, 1, 2, 0, 0, 0, 0, 0x3B};
const Bytes kBmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                    40,  0,   0, 0, 70, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF, 0, 0};
const Bytes kCoreBmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 70, 0, 20, 0, 1, 0, 24, 0, 0, 0};

void ExpectSize(const Bytes& data, int32_t width, int32_t height) {
    const ImageSize size = ProbeImageSize(data);
    EXPECT_EQ(size.width, width);
    EXPECT_EQ(size.height, height);
}

TEST(ProbeImageSize, PngJpegAndOthers) {
    ExpectSize(MakePng(800, 600, 2), 800, 600);
    ExpectSize(MakePng(70000, 3, 2), 4464, 3);  // low 16 bits only
    ExpectSize(MakeJpeg(640, 480), 640, 480);
    // A frame header may follow the start marker directly; segments that do
    // not begin with FF end the walk.
    ExpectSize(MakeJpeg(640, 480, false), 640, 480);
    ExpectSize(Bytes{0xFF, 0xD8, 0xFF, 0x12, 0, 4, 0, 0, 0xC0, 0, 0x11, 8, 1, 0, 1, 0, 3, 1}, 0, 0);
    ExpectSize(kGif, 300, 2);
    for (const Bytes* bmp : {&kBmp, &kCoreBmp}) ExpectSize(*bmp, 70, 20);
    ExpectSize(Bytes{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0);
}

TEST(ProbeImageSize, HostileSegmentLengthsEnd) {
    // Zero-length segments still move the walk forward by two bytes.
    Bytes zeros = {0xFF, 0xD8};
    for (int i = 0; i < 1000; ++i) Append(zeros, {0xFF, 0xE0, 0x00, 0x00});
    ExpectSize(zeros, 0, 0);
    ExpectSize(Bytes(5000, 0xFF), 0, 0);
    Bytes jump = {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF};
    jump.resize(70000, 0xFF);
    ExpectSize(jump, 0, 0);
}

TEST(SniffImageType, Signatures) {
    EXPECT_EQ(SniffImageType(MakePng(1, 1, 2)), "PNG");
    EXPECT_EQ(SniffImageType(MakeJpeg(1, 1)), "JPEG");
    EXPECT_EQ(std::string(SniffImageType(kGif)) + std::string(SniffImageType(kBmp)), "GIFBMP");
    EXPECT_EQ(SniffImageType(Bytes{'G', 'I', 'F', '8'}), "");
    EXPECT_EQ(SniffImageType(Bytes{0x89, 'P', 'N'}), "");
    EXPECT_EQ(SniffImageType(Bytes{0xFF, 0xD8}), "");
}

TEST(FixPngTransparency, FirstTransparentEntryTakesTheColourAndAValidCrc) {
    for (const uint32_t colour : {0xFFFFFFu, 0x332211u}) {
        const Bytes original = SixteenColourPng();
        Bytes png = original;
        FixPngTransparency(png, colour);

        Bytes expected = original;
        const size_t entry2 = PaletteEntryOffset(expected, 2);
        expected[entry2] = colour & 0xFF;
        expected[entry2 + 1] = (colour >> 8) & 0xFF;
        expected[entry2 + 2] = (colour >> 16) & 0xFF;
        // Only entry 2 and the palette's CRC (right after the 16 entries) differ.
        const size_t crc = PaletteEntryOffset(expected, 16);
        ASSERT_EQ(png.size(), expected.size());
        for (size_t i = 0; i < png.size(); ++i) {
            if (i < crc || i >= crc + 4) {
                EXPECT_EQ(png[i], expected[i]) << "byte " << i;
            }
        }
        EXPECT_TRUE(AllChunkCrcsValid(png));
    }
}

TEST(FixPngTransparency, LeavesOtherImagesUnchanged) {
    Bytes opaque(16, 0xFF);
    Bytes pastThePalette(16, 0xFF);
    pastThePalette[5] = 0;
    const Bytes cases[] = {
        MakePng(4, 4, 2, GreyPalette(16), {0, 0, 0, 0, 0, 0}),  // true colour
        MakePng(4, 4, 3, GreyPalette(16), opaque),              // no alpha 0
        MakePng(4, 4, 3, GreyPalette(16)),                      // no tRNS
        MakePng(4, 4, 3, {}, {0}),                              // no PLTE
        MakePng(4, 4, 3, GreyPalette(4), pastThePalette),       // entry 5 of a 4-entry palette
    };
    for (const Bytes& original : cases) {
        Bytes png = original;
        FixPngTransparency(png, 0xFFFFFF);
        EXPECT_EQ(png, original);
    }
}

TEST(ImageProbes, NeverReadPastTruncatedData) {
    const Bytes jpeg = MakeJpeg(640, 480);
    const Bytes png = SixteenColourPng();
    Bytes fixedPng = png;
    FixPngTransparency(fixedPng, 0xFFFFFF);

    for (const Bytes* image : {&jpeg, &png, &kGif, &kBmp, &kCoreBmp}) {
        const ImageSize full = ProbeImageSize(*image);
        for (size_t length = 0; length <= image->size(); ++length) {
            // A vector of exactly `length` bytes, so AddressSanitizer sees any over-read.
            const Bytes prefix(image->begin(), image->begin() + static_cast<std::ptrdiff_t>(length));
            const ImageSize size = ProbeImageSize(prefix);
            const bool none = size.width == 0 && size.height == 0;
            EXPECT_TRUE(none || (size.width == full.width && size.height == full.height)) << "length " << length;
            SniffImageType(prefix);

            Bytes fixed = prefix;
            FixPngTransparency(fixed, 0xFFFFFF);
            const bool unchanged = fixed == prefix;
            const bool fixedLikeWhole = std::equal(fixed.begin(), fixed.end(), fixedPng.begin());
            EXPECT_TRUE(unchanged || (image == &png && fixedLikeWhole)) << "length " << length;
        }
    }
}

}  // namespace
}  // namespace tavorin
