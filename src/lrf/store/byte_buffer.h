// Growable little-endian byte buffers used for every stream of the book.
#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "text/wide.h"

namespace tavorin::lrf {

using ByteBuffer = std::vector<uint8_t>;

// Makes the pages of [data, data + bytes) resident in one call instead of a
// fault per page as they are first written (much the cheaper way on virtual
// machines). Pages only partly inside the range are left alone; a system
// without the call leaves them to fault in as usual.
inline void PrefaultPages(const void* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    constexpr uintptr_t kPage = 4096;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kPage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

// Called before `buffer` grows to `newSize` elements within its capacity:
// when the growth enters a new 256 KB stretch, that stretch is made resident
// in one call, so a large store costs a call per 256 KB, not a fault per page.
template <typename Buffer>
void PrefaultAhead(const Buffer& buffer, size_t newSize) {
    constexpr size_t kStretch = 256 * 1024;
    constexpr size_t unit = sizeof(typename Buffer::value_type);
    const size_t from = buffer.size() * unit, to = newSize * unit;
    if (from != 0 && from / kStretch == to / kStretch) return;
    const size_t end = std::min(buffer.capacity() * unit, (to / kStretch + 1) * kStretch);
    if (end > from) PrefaultPages(reinterpret_cast<const char*>(buffer.data()) + from, end - from);
}

// Makes room for `needed` elements, resident: when the buffer must move, it
// moves into storage of twice its capacity whose part that the elements take
// is made resident before they are copied, so the copy does not fault page by
// page; the growth after it is made resident a stretch at a time (PrefaultAhead).
template <typename Buffer>
void ReserveResident(Buffer& buffer, size_t needed) {
    if (needed > buffer.capacity()) {
        Buffer bigger;
        bigger.reserve(std::max(needed, 2 * buffer.capacity()));
        PrefaultPages(bigger.data(), needed * sizeof(typename Buffer::value_type));
        bigger.insert(bigger.end(), buffer.begin(), buffer.end());
        buffer.swap(bigger);
    }
    PrefaultAhead(buffer, needed);
}

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
    if constexpr (std::endian::native == std::endian::little) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        b.insert(b.end(), bytes, bytes + 2 * text.size());
    } else {
        for (const char16_t c : text) PutU16(b, c);
    }
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
