// Pixel size and kind of decoded images: PNG, JPEG, GIF and BMP, the kinds an
// LRF image stream carries. The converter reports every image without a size.
#include "codec/image_probe.h"

#include "codec/image_bytes.h"

#include <climits>

namespace tavorin {

namespace {

// The IHDR chunk follows the 8-byte signature; its width and height are
// 32-bit big-endian at offsets 16 and 20. Only their low halves are read,
// which is all the reader devices can show anyway.
constexpr size_t kPngWidthLow = 18;
constexpr size_t kPngHeightLow = 22;
constexpr size_t kPngSizeEnd = 24;

// Each JPEG segment is FF, marker, 16-bit length (counting itself but not the
// FF and marker), then its data. A frame header (SOFn) holds the precision at
// byte 4, the height at bytes 5-6 and the width at bytes 7-8.
constexpr size_t kSegmentHeaderSize = 12;

// The start-of-frame markers of the baseline, extended, progressive and
// lossless, Huffman and arithmetic coded frames.
bool IsFrameMarker(uint8_t marker) {
    switch (marker) {
        case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC9: case 0xCA: case 0xCB:
            return true;
        default:
            return false;
    }
}

ImageSize ProbePng(std::span<const uint8_t> data) {
    if (data.size() < kPngSizeEnd) return {};
    return {static_cast<int32_t>(ReadBigEndian16(&data[kPngWidthLow])),
            static_cast<int32_t>(ReadBigEndian16(&data[kPngHeightLow]))};
}

// Walks the marker segments from offset 2, the segment there included (a
// frame header may follow the start marker directly). A header that does not
// fit in the data ends the walk as "not found", so every header looked at
// lies wholly inside the data; so does a segment that does not begin with FF.
// Every step moves forward by at least 2 bytes, so the walk ends on any data.
ImageSize ProbeJpeg(std::span<const uint8_t> data) {
    for (size_t pos = 2; pos + kSegmentHeaderSize <= data.size();) {
        const uint8_t* header = &data[pos];
        if (header[0] != 0xFF) return {};
        if (IsFrameMarker(header[1])) {
            return {static_cast<int32_t>(ReadBigEndian16(header + 7)), static_cast<int32_t>(ReadBigEndian16(header + 5))};
        }
        pos += ReadBigEndian16(header + 2) + 2;
    }
    return {};
}

constexpr std::string_view kJpegMark{"\xFF\xD8\xFF", 3};

// GIF: "GIF87a" or "GIF89a", then the logical screen's width and height,
// 16-bit little-endian.
constexpr size_t kGifSizeEnd = 10;

bool HasGifMark(std::span<const uint8_t> data) {
    return StartsWithBytes(data, "GIF87a") || StartsWithBytes(data, "GIF89a");
}

ImageSize ProbeGif(std::span<const uint8_t> data) {
    if (data.size() < kGifSizeEnd) return {};
    return {static_cast<int32_t>(data[6] | data[7] << 8), static_cast<int32_t>(data[8] | data[9] << 8)};
}

// BMP: "BM", the file header (14 bytes), then an info header whose size is
// its first 32-bit word: 12 for the old core header (16-bit width and
// height), at least 40 for the others (32-bit; a negative height means rows
// stored top down).
constexpr size_t kBmpInfo = 14;

int32_t ReadLittleEndian32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

ImageSize ProbeBmp(std::span<const uint8_t> data) {
    if (data.size() < kBmpInfo + 12) return {};
    const uint8_t* info = &data[kBmpInfo];
    const int32_t headerSize = ReadLittleEndian32(info);
    if (headerSize == 12) {
        return {static_cast<int32_t>(info[4] | info[5] << 8), static_cast<int32_t>(info[6] | info[7] << 8)};
    }
    if (headerSize < 40) return {};
    const int32_t width = ReadLittleEndian32(info + 4);
    const int32_t height = ReadLittleEndian32(info + 8);
    if (width <= 0 || height == 0 || height == INT32_MIN) return {};
    return {width, height < 0 ? -height : height};
}

}  // namespace

ImageSize ProbeImageSize(std::span<const uint8_t> data) {
    if (HasPngMark(data)) return ProbePng(data);
    if (HasGifMark(data)) return ProbeGif(data);
    if (StartsWithBytes(data, "BM")) return ProbeBmp(data);
    // The JPEG mark may sit anywhere; the walk still starts at offset 2.
    if (FindBytes(data, kJpegMark) != std::string_view::npos) return ProbeJpeg(data);
    return {};
}

std::string_view SniffImageType(std::span<const uint8_t> data) {
    if (StartsWithBytes(data, "\x89PNG")) return "PNG";
    if (StartsWithBytes(data, kJpegMark)) return "JPEG";
    if (HasGifMark(data)) return "GIF";
    if (StartsWithBytes(data, "BM")) return "BMP";
    return {};
}

}  // namespace tavorin
