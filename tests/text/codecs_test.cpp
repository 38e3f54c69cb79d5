// Codecs: the single-byte tables against their published mappings, and the
// UTF-8 decoder on valid, invalid, out-of-range and incomplete input.
#include "text/codecs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavorin {
namespace {

using CodecFactory = std::function<std::unique_ptr<TCustomUnicodeCodec>()>;

template <typename Codec>
CodecFactory Make() {
    return [] { return std::make_unique<Codec>(); };
}

char16_t DecodeByte(TCustomUnicodeCodec& codec, uint8_t byte) {
    char16_t out = 0;
    size_t written = 0, used = 0;
    codec.Decode(&byte, 1, &out, 1, written, used);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(used, 1u);
    return out;
}

struct Decoded {
    std::u16string text;
    size_t used = 0;
};

Decoded DecodeUtf8(const std::vector<uint8_t>& bytes, size_t room = 64) {
    TUTF8Codec codec;
    std::u16string out(room, u'\0');
    size_t written = 0, used = 0;
    codec.Decode(bytes.data(), bytes.size(), out.data(), room, written, used);
    out.resize(written);
    return {out, used};
}

TEST(SingleByteCodec, TablesMatchPublishedMappings) {
    struct Row {
        const char* name;
        CodecFactory make;
        uint8_t byte;
        char16_t expected;
    };
    const Row rows[] = {
        {"1251 A", Make<TWindows1251Codec>(), 0x41, 0x0041},
        {"1251 capital A", Make<TWindows1251Codec>(), 0xC0, 0x0410},
        {"1251 small ya", Make<TWindows1251Codec>(), 0xFF, 0x044F},
        {"1251 capital yo", Make<TWindows1251Codec>(), 0xA8, 0x0401},
        {"1251 numero", Make<TWindows1251Codec>(), 0xB9, 0x2116},
        {"1251 undefined", Make<TWindows1251Codec>(), 0x98, 0x0098},
        {"koi8 small a", Make<TKOI8_RCodec>(), 0xC1, 0x0430},
        {"koi8 capital A", Make<TKOI8_RCodec>(), 0xE1, 0x0410},
        {"koi8 small yo", Make<TKOI8_RCodec>(), 0xA3, 0x0451},
        {"koi8 box drawing", Make<TKOI8_RCodec>(), 0x80, 0x2500},
        {"1252 euro", Make<TWindows1252Codec>(), 0x80, 0x20AC},
        {"1252 Y diaeresis", Make<TWindows1252Codec>(), 0x9F, 0x0178},
        {"1252 undefined 81", Make<TWindows1252Codec>(), 0x81, 0x0081},
        {"1252 undefined 9D", Make<TWindows1252Codec>(), 0x9D, 0x009D},
        {"1252 e acute", Make<TWindows1252Codec>(), 0xE9, 0x00E9},
        {"1250 S caron", Make<TWindows1250Codec>(), 0x8A, 0x0160},
        {"1250 A ogonek", Make<TWindows1250Codec>(), 0xA5, 0x0104},
        {"1250 undefined", Make<TWindows1250Codec>(), 0x98, 0x0098},
        {"latin-1 80", Make<TISO8859_1Codec>(), 0x80, 0x0080},
        {"latin-1 y diaeresis", Make<TISO8859_1Codec>(), 0xFF, 0x00FF},
    };
    for (const Row& row : rows) {
        auto codec = row.make();
        EXPECT_EQ(DecodeByte(*codec, row.byte), row.expected) << row.name;
    }
}

TEST(SingleByteCodec, AsciiIsIdentityInEveryCodePage) {
    for (const CodecFactory& make : {Make<TWindows1250Codec>(), Make<TWindows1251Codec>(),
                                     Make<TWindows1252Codec>(), Make<TISO8859_1Codec>(),
                                     Make<TKOI8_RCodec>()}) {
        auto codec = make();
        for (unsigned b = 0; b < 128; ++b) ASSERT_EQ(DecodeByte(*codec, uint8_t(b)), b);
    }
}

TEST(Utf8Codec, DecodesValidSequences) {
    struct Row {
        std::vector<uint8_t> bytes;
        std::u16string expected;
    };
    const Row rows[] = {
        {{'A'}, u"A"},
        {{0xC3, 0xA9}, u"\u00E9"},
        {{0xD0, 0x96}, u"\u0416"},
        {{0xE2, 0x82, 0xAC}, u"\u20AC"},
        {{0xEF, 0xBB, 0xBF}, u"\uFEFF"},  // a byte order mark is an ordinary character
        {{0xF0, 0x9F, 0x98, 0x80}, {0xD83D, 0xDE00}},
        {{0xF4, 0x8F, 0xBF, 0xBF}, {0xDBFF, 0xDFFF}},
        {{0xC0, 0x80}, {0x0000}},              // overlong form, taken at its value
        {{0xED, 0xA0, 0x80}, {0xD800}},        // surrogate value, taken as it is
        {{'x', 0xC3, 0xA9, 'y'}, u"x\u00E9y"},
    };
    for (const Row& row : rows) {
        const Decoded d = DecodeUtf8(row.bytes);
        EXPECT_EQ(d.text, row.expected);
        EXPECT_EQ(d.used, row.bytes.size());
    }
}

TEST(Utf8Codec, RejectsInvalidAndOutOfRange) {
    struct Row {
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const Row rows[] = {
        {{0x80}, "Invalid UTF-8 encoding"},
        {{'a', 0xBF}, "Invalid UTF-8 encoding"},
        {{0xF8, 0x80, 0x80, 0x80, 0x80}, "Invalid UTF-8 encoding"},
        {{0xFF}, "Invalid UTF-8 encoding"},
        {{0xC3, 'A'}, "Invalid UTF-8 encoding"},
        {{0xE2, 0x82, 'A'}, "Invalid UTF-8 encoding"},
        {{0xE2, 'A'}, "Invalid UTF-8 encoding"},  // short, but already broken
        {{0xF4, 0x90, 0x80, 0x80}, "UTF-8 encoding out of range"},
        {{0xF5, 0x80, 0x80, 0x80}, "UTF-8 encoding out of range"},
        {{0xF7, 0xBF, 0xBF, 0xBF}, "UTF-8 encoding out of range"},
    };
    for (const Row& row : rows) {
        try {
            DecodeUtf8(row.bytes);
            ADD_FAILURE() << "no error for byte " << int(row.bytes[0]);
        } catch (const ConvertError& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
}

TEST(Utf8Codec, LeavesIncompleteTailUnused) {
    for (const std::vector<uint8_t>& bytes : std::vector<std::vector<uint8_t>>{
             {'a', 'b', 0xC3}, {'a', 'b', 0xE2, 0x82}, {'a', 'b', 0xF0, 0x9F, 0x98}}) {
        const Decoded d = DecodeUtf8(bytes);
        EXPECT_EQ(d.text, u"ab");
        EXPECT_EQ(d.used, 2u);
    }
}

TEST(Utf8Codec, KeepsSurrogatePairWhole) {
    const Decoded d = DecodeUtf8({'a', 0xF0, 0x9F, 0x98, 0x80}, 2);
    EXPECT_EQ(d.text, u"a");
    EXPECT_EQ(d.used, 1u);
}

}  // namespace
}  // namespace tavorin
