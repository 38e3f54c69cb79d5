// Growable little-endian byte buffers used for every stream of the book.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/wide.h"

namespace tavorin::lrf {

using ByteBuffer = std::vector<uint8_t>;

inline void PutU8(ByteBuffer& b, uint8_t v) { b.push_back(v); }
inline void PutU16(ByteBuffer& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(ByteBuffer& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutU64(ByteBuffer& b, uint64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutBytes(ByteBuffer& b, std::span<const uint8_t> bytes) { b.insert(b.end(), bytes.begin(), bytes.end()); }
// UTF-16LE code units without terminator.
inline void PutUtf16(ByteBuffer& b, WStringView text) {
    for (const char16_t c : text) PutU16(b, c);
}
// A 16-bit byte count, then the text in UTF-16LE. Text whose byte count would
// not fit is cut to fit, between characters (never inside a surrogate pair).
inline void PutCountedUtf16(ByteBuffer& b, WStringView text) {
    constexpr size_t kMaxUnits = 0xFFFF / 2;
    if (text.size() > kMaxUnits) {
        const bool splitsPair = text[kMaxUnits - 1] >= 0xD800 && text[kMaxUnits - 1] <= 0xDBFF;
        text = text.substr(0, splitsPair ? kMaxUnits - 1 : kMaxUnits);
    }
    PutU16(b, static_cast<uint16_t>(2 * text.size()));
    PutUtf16(b, text);
}

inline uint16_t GetU16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline uint32_t GetU32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) | (uint32_t(b[at + 3]) << 24);
}
inline void SetU16(ByteBuffer& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void SetU32(ByteBuffer& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace tavorin::lrf
