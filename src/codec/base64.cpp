// Base64 decoding (RFC 2045 alphabet) of the binary elements of an FB2 file.
// Anything outside the alphabet is skipped, so line breaks, indentation and
// the '=' padding need no special handling.
#include "codec/base64.h"

#include <array>
#include <string_view>

namespace tavorin {

namespace {

constexpr int8_t kNotBase64 = -1;

constexpr std::array<int8_t, 128> MakeDecodeTable() {
    std::array<int8_t, 128> table{};
    table.fill(kNotBase64);
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 128> kDecodeTable = MakeDecodeTable();

// Works on 8-bit and UTF-16 text alike: every code above 127 is a stray
// character.
template <typename Char>
std::vector<uint8_t> DecodeBase64(std::basic_string_view<Char> text) {
    std::vector<uint8_t> out;
    out.reserve((text.size() + 3) / 4 * 3);
    uint32_t group = 0;  // the 6-bit values collected so far, oldest highest
    int count = 0;
    for (const Char c : text) {
        const auto code = static_cast<std::make_unsigned_t<Char>>(c);
        if (code >= kDecodeTable.size() || kDecodeTable[code] == kNotBase64) continue;
        group = (group << 6) | static_cast<uint32_t>(kDecodeTable[code]);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(group >> 16));
            out.push_back(static_cast<uint8_t>(group >> 8));
            out.push_back(static_cast<uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    // A final group of three values holds two bytes, of two values one byte;
    // a single value holds fewer than eight bits and gives nothing.
    if (count == 3) {
        out.push_back(static_cast<uint8_t>(group >> 10));
        out.push_back(static_cast<uint8_t>(group >> 2));
    } else if (count == 2) {
        out.push_back(static_cast<uint8_t>(group >> 4));
    }
    return out;
}

}  // namespace

std::vector<uint8_t> Base64Decode(std::string_view text) { return DecodeBase64(text); }

std::vector<uint8_t> Base64Decode(WStringView text) { return DecodeBase64(text); }

}  // namespace tavorin
