// Byte-level helpers shared by the image probes: big-endian numbers, the PNG
// mark and searching for chunk names. Callers check the bounds beforehand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tavorin {

inline uint32_t ReadBigEndian16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }

inline uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void WriteBigEndian32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
}

inline bool SameByte(uint8_t a, char b) { return a == static_cast<uint8_t>(b); }

inline bool StartsWithBytes(std::span<const uint8_t> data, std::string_view bytes) {
    return data.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), data.begin(),
                                                      [](char b, uint8_t a) { return SameByte(a, b); });
}

// PNG data as the converter recognises it: 0x89 followed by "PN".
inline bool HasPngMark(std::span<const uint8_t> data) { return StartsWithBytes(data, "\x89PN"); }

// Offset of the first occurrence of `bytes` at or after `from`, or npos.
inline size_t FindBytes(std::span<const uint8_t> data, std::string_view bytes, size_t from = 0) {
    if (from > data.size()) return std::string_view::npos;
    const auto found =
        std::search(data.begin() + static_cast<std::ptrdiff_t>(from), data.end(), bytes.begin(), bytes.end(), SameByte);
    return found == data.end() ? std::string_view::npos : static_cast<size_t>(found - data.begin());
}

}  // namespace tavorin
