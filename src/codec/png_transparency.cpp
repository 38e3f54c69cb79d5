// The palette fix of indexed PNG images with a fully transparent colour: the
// reader devices ignore transparency, so that colour would show as whatever
// the palette holds (often black); it is replaced by a chosen colour.
#include <algorithm>
#include <optional>

#include <zlib.h>

#include "codec/image_bytes.h"
#include "codec/image_probe.h"

namespace tavorin {

namespace {

constexpr size_t kColourTypeOffset = 25;  // in the IHDR chunk
constexpr uint8_t kIndexedColour = 3;

// A chunk is its 32-bit length, its 4-byte type, the data and a CRC-32 of
// the type and data. The type is searched for from offset 4 so that the
// length before it always exists.
constexpr size_t kChunkSearchStart = 4;
constexpr size_t kChunkTypeSize = 4;
constexpr size_t kChunkCrcSize = 4;

struct Chunk {
    size_t type = 0;  // offset of the type; the data follow it
    size_t length = 0;
};

// The first chunk of that type whose data lie inside the data; with
// `withCrc`, its CRC must too. Empty when not found or cut short.
std::optional<Chunk> FindChunk(std::span<const uint8_t> data, std::string_view type, bool withCrc) {
    const size_t at = FindBytes(data, type, kChunkSearchStart);
    if (at == std::string_view::npos) return std::nullopt;
    const uint64_t length = ReadBigEndian32(&data[at - 4]);
    const uint64_t room = data.size() - at - kChunkTypeSize;
    if (length + (withCrc ? kChunkCrcSize : 0) > room) return std::nullopt;
    return Chunk{at, static_cast<size_t>(length)};
}

}  // namespace

void FixPngTransparency(std::vector<uint8_t>& data, uint32_t colour) {
    if (!HasPngMark(data) || data.size() <= kColourTypeOffset || data[kColourTypeOffset] != kIndexedColour) return;

    // tRNS of an indexed image: one alpha value per palette entry.
    const std::optional<Chunk> alphas = FindChunk(data, "tRNS", false);
    if (!alphas) return;
    const auto alphaBegin = data.begin() + static_cast<std::ptrdiff_t>(alphas->type + kChunkTypeSize);
    const auto transparent = std::find(alphaBegin, alphaBegin + static_cast<std::ptrdiff_t>(alphas->length), 0);
    const size_t entry = static_cast<size_t>(transparent - alphaBegin);
    if (entry == alphas->length) return;

    // PLTE: three bytes (red, green, blue) per entry. An entry beyond the
    // palette is left alone rather than written over the CRC or the next chunk.
    const std::optional<Chunk> palette = FindChunk(data, "PLTE", true);
    if (!palette || 3 * entry + 3 > palette->length) return;
    const size_t paletteData = palette->type + kChunkTypeSize;
    uint8_t* rgb = &data[paletteData + 3 * entry];
    rgb[0] = static_cast<uint8_t>(colour);
    rgb[1] = static_cast<uint8_t>(colour >> 8);
    rgb[2] = static_cast<uint8_t>(colour >> 16);

    // The CRC covers the type and the data; a stale one makes strict
    // decoders reject the whole image.
    const uLong crc = crc32_z(0, &data[palette->type], kChunkTypeSize + palette->length);
    WriteBigEndian32(&data[paletteData + palette->length], static_cast<uint32_t>(crc));
}

}  // namespace tavorin
