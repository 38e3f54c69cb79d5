// Decoding bytes to UTF-16: UTF-8, the single-byte code pages by table, and
// every other encoding through iconv.
#include "text/codecs.h"

#include <algorithm>
#include <bit>
#include <cerrno>

#include "text/codec_tables.h"

namespace tavorin {

void TUTF8Codec::Fail(const char* what) const {
    std::string message = what;
    if (!unknownDeclared_.empty()) message += " (declared encoding \"" + unknownDeclared_ + "\" is unknown)";
    throw ConvertError(message);
}

// Lead bytes C0-DF, E0-EF and F0-F7 start sequences of 2, 3 and 4 bytes.
// Overlong forms and surrogate values are taken at their value; values from
// U+10000 become a surrogate pair, values above U+10FFFF are out of range.
void TUTF8Codec::Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room,
                        size_t& written, size_t& used) {
    size_t i = 0;
    size_t w = 0;
    while (i < count && w < room) {
        const uint8_t lead = bytes[i];
        if (lead < 0x80) {
            out[w++] = lead;
            ++i;
            continue;
        }
        size_t length;
        uint32_t value;
        if (lead >= 0xC0 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF7) {
            length = 4;
            value = lead & 0x07;
        } else {
            Fail("Invalid UTF-8 encoding");
        }
        // The continuation bytes at hand are checked before a short tail is
        // left pending, so a broken sequence at the end of the file is
        // reported instead of swallowing the characters behind its lead byte.
        const size_t present = std::min(length, count - i);
        for (size_t k = 1; k < present; ++k) {
            const uint8_t b = bytes[i + k];
            if ((b & 0xC0) != 0x80) Fail("Invalid UTF-8 encoding");
            value = (value << 6) | (b & 0x3F);
        }
        if (present < length) break;
        if (value > 0x10FFFF) Fail("UTF-8 encoding out of range");
        if (value >= 0x10000) {
            if (room - w < 2) break;
            value -= 0x10000;
            out[w++] = static_cast<char16_t>(0xD800 + (value >> 10));
            out[w++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            out[w++] = static_cast<char16_t>(value);
        }
        i += length;
    }
    written = w;
    used = i;
}

void TCustomSingleByteCodec::Decode(const uint8_t* bytes, size_t count, char16_t* out,
                                    size_t room, size_t& written, size_t& used) {
    const size_t n = std::min(count, room);
    for (size_t i = 0; i < n; ++i) out[i] = table_[bytes[i]];
    written = n;
    used = n;
}

TISO8859_1Codec::TISO8859_1Codec() : TCustomSingleByteCodec(kISO8859_1Table) {}
TWindows1250Codec::TWindows1250Codec() : TCustomSingleByteCodec(kWindows1250Table) {}
TWindows1251Codec::TWindows1251Codec() : TCustomSingleByteCodec(kWindows1251Table) {}
TWindows1252Codec::TWindows1252Codec() : TCustomSingleByteCodec(kWindows1252Table) {}
TKOI8_RCodec::TKOI8_RCodec() : TCustomSingleByteCodec(kKOI8_RTable) {}

std::unique_ptr<IconvCodec> IconvCodec::Open(const std::string& name) {
    const char* host = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
    const iconv_t cd = iconv_open(host, name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::unique_ptr<IconvCodec>(new IconvCodec(cd, name));
}

IconvCodec::~IconvCodec() { iconv_close(cd_); }

// iconv stops before an incomplete sequence at the end of the bytes (EINVAL),
// which stays pending, and when the room is full (E2BIG).
void IconvCodec::Decode(const uint8_t* bytes, size_t count, char16_t* out, size_t room, size_t& written,
                         size_t& used) {
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    char* to = reinterpret_cast<char*>(out);
    size_t inLeft = count;
    size_t outLeft = room * sizeof(char16_t);
    if (iconv(cd_, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) && errno == EILSEQ) {
        throw ConvertError("Invalid " + name_ + " encoding");
    }
    written = room - outLeft / sizeof(char16_t);
    used = count - inLeft;
}

void IconvCodec::Restart() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

}  // namespace tavorin
