// Inspection of decoded images: pixel size of PNG, JPEG, GIF and BMP data, the kind of
// image the bytes hold, and the palette fix of transparent indexed PNGs.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tavorin {

struct ImageSize {
    int32_t width = 0;
    int32_t height = 0;
};

// Width and height in pixels of PNG, JPEG, GIF or BMP data; 0 and 0 when not found.
// Never reads past the data.
ImageSize ProbeImageSize(std::span<const uint8_t> data);

// "PNG", "JPEG", "GIF" or "BMP" when the data start with that format's
// signature, else empty.
std::string_view SniffImageType(std::span<const uint8_t> data);

// In an indexed PNG with a tRNS chunk, the first fully transparent palette
// entry is set to `colour` (0xBBGGRR) and the PLTE chunk's CRC recomputed.
void FixPngTransparency(std::vector<uint8_t>& data, uint32_t colour);

}  // namespace tavorin
