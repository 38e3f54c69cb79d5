// Tag values: the words of the enumerated attributes, colours and line widths
// converted to numbers, and the bytes written for each tag code.
#include <cstdio>
#include <string>

#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

namespace {

struct EnumeratedWord {
    uint16_t code;
    WStringView word;
    int value;
};

// One line per enumerated attribute; every other word is an error.
constexpr EnumeratedWord kEnumeratedWords[] = {
    {0xF529, u"fix", kBgImageFix}, {0xF529, u"tile", 2}, {0xF529, u"centered", 3},  // bgimagemode
    {0xF52A, u"show", 0}, {0xF52A, u"empty", kEmptyViewEmpty},                      // setemptyview
    {0xF52B, u"any", kPagePositionAny}, {0xF52B, u"upper", 1}, {0xF52B, u"lower", 2},  // pageposition
    {0xF52E, u"none", 0}, {0xF52E, u"square", kFrameModeSquare}, {0xF52E, u"curve", 2},  // framemode
    {0xF533, u"horz-fixed", kBlockRules[0]}, {0xF533, u"horz-adjustable", kBlockRules[1]},  // blockrule
    {0xF533, u"vert-fixed", kBlockRules[2]}, {0xF533, u"vert-adjustable", kBlockRules[3]},
    {0xF533, u"block-fixed", kBlockRules[4]}, {0xF533, u"block-adjustable", kBlockRules[5]},
    {0xF535, u"LrTb", kLayoutLrTb}, {0xF535, u"TbRl", 0x41},                        // layout
    {0xF53C, u"head", kAlignHead}, {0xF53C, u"center", kAlignCenter}, {0xF53C, u"foot", kAlignFoot},  // align
    {0xF576, u"none", kRubyOverhangNone}, {0xF576, u"auto", 1},                     // rubyoverhang
    {0xF577, u"before", kPositionBefore}, {0xF577, u"after", 2},                    // empdotsposition
    {0xF579, u"before", kPositionBefore}, {0xF579, u"after", 2},                    // emplineposition
    {0xF57A, u"none", kLineNone}, {0xF57A, u"solid", kLineSolid}, {0xF57A, u"dashed", 0x20},  // emplinetype
    {0xF57A, u"double", 0x30}, {0xF57A, u"dotted", 0x40},
    {0xF5DA, u"replay", 1}, {0xF5DA, u"noreplay", kWaitNoReplay},                   // setwaitprop
};

constexpr uint16_t kTextLineWidthCode = 0xF5F1;
constexpr uint16_t kEmphasisDotsCode = 0xF578;
constexpr char16_t kFullStop = u'.';

bool IsColorCode(uint16_t code) {
    return code == 0xF517 || code == 0xF518 || code == 0xF534 || code == 0xF537 || code == 0xF5F2;
}

bool IsEnumerated(uint16_t code) {
    for (const EnumeratedWord& row : kEnumeratedWords) {
        if (row.code == code) return true;
    }
    return false;
}

void ReportIncorrectWord(uint16_t code, WStringView value, Console& console) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", code);
    console.Line("\nError: Incorrect value =" + Narrow(value) + " in Tag 0x" + hex);
}

bool ConvertEnumerated(uint16_t code, WStringView value, int64_t& out, Console& console) {
    for (const EnumeratedWord& row : kEnumeratedWords) {
        if (row.code == code && row.word == value) {
            out = row.value;
            return true;
        }
    }
    ReportIncorrectWord(code, value, console);
    return false;
}

void WriteFontNameTag(ByteBuffer& out, WStringView name) {
    PutU16(out, kFontFaceNameCode);
    PutCountedUtf16(out, name);
}

// Emphasis dots: four zero bytes, a font name tag (empty when the dots have
// no font of their own), then the character drawn.
void WriteEmphasisDotsTag(ByteBuffer& out, WStringView fontName, uint16_t character) {
    PutU16(out, kEmphasisDotsCode);
    PutU32(out, 0);
    WriteFontNameTag(out, fontName);
    PutU16(out, character);
}

}  // namespace

bool ParseColorValue(WStringView text, uint32_t& value) {
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const WStringView digits = text.substr(2);
        if (digits.size() > 8) return false;
        uint32_t result = 0;
        for (const char16_t c : digits) {
            int digit;
            if (c >= u'0' && c <= u'9') digit = c - u'0';
            else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
            else return false;
            result = (result << 4) | static_cast<uint32_t>(digit);
        }
        value = result;
        return true;
    }
    int64_t number = 0;
    if (!ParseInt(text, number)) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ConvertTagValue(uint16_t code, WStringView value, int64_t& out, Console& console) {
    if (IsColorCode(code)) {
        uint32_t argb = 0;
        if (!ParseColorValue(value, argb)) return false;
        // Written little-endian, the reversed number puts alpha, red, green, blue in file order.
        out = __builtin_bswap32(argb);
        return true;
    }
    if (code == kTextLineWidthCode) {
        int64_t width = 0;
        if (!ParseInt(value, width)) return false;
        out = width / 5;
        return true;
    }
    if (IsEnumerated(code)) return ConvertEnumerated(code, value, out, console);
    return false;
}

bool ConvertTypedValue(uint16_t code, int64_t& value, Console& console) {
    if (IsColorCode(code)) {
        value = __builtin_bswap32(static_cast<uint32_t>(value));
    } else if (code == kTextLineWidthCode) {
        value /= 5;
    } else if (IsEnumerated(code)) {
        for (const EnumeratedWord& row : kEnumeratedWords) {
            if (row.code == code && row.value == value) return true;
        }
        ReportIncorrectWord(code, {}, console);
        return false;
    }
    return true;
}

void WriteTag(ByteBuffer& out, const TTag& tag, int64_t value, Console& console) {
    switch (tag.size) {
        case 1:
            PutU16(out, tag.code);
            PutU8(out, static_cast<uint8_t>(value));
            return;
        case 2:
            PutU16(out, tag.code);
            PutU16(out, static_cast<uint16_t>(value));
            return;
        case 4:
            PutU16(out, tag.code);
            PutU32(out, static_cast<uint32_t>(value));
            return;
        case -1:
            break;
        default:
            console.Line("\nError: Incorrect tag length...");
            return;
    }
    if (IsColorCode(tag.code)) {
        PutU16(out, tag.code);
        PutU32(out, static_cast<uint32_t>(value));
    } else if (tag.code == kBgImageModeCode) {
        PutU16(out, tag.code);
        PutU16(out, static_cast<uint16_t>(value));
        PutU32(out, 0);
    } else if (tag.code == kTextLineWidthCode) {
        PutU16(out, tag.code);
        PutU16(out, static_cast<uint16_t>(value));
    } else if (tag.code == kFontFaceNameCode) {
        WriteFontNameTag(out, tag.name);
    } else if (tag.code == kEmphasisDotsCode) {
        WriteEmphasisDotsTag(out, {}, static_cast<uint16_t>(value));
    } else if (tag.code == kEmphasisDotsFontCode) {
        WriteEmphasisDotsTag(out, tag.name, kFullStop);
    } else {
        console.Line("\nError: Incorrect tag length...");
    }
}

}  // namespace tavorin::lrf
