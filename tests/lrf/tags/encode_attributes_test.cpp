// Byte encodings of markup attributes and the error lines for bad values.
#include <gtest/gtest.h>

#include <vector>

#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {
namespace {

using Bytes = std::vector<uint8_t>;

// The tags of the element and what the encoding printed.
struct Encoded {
    Bytes tags;
    std::string printed;
};

Encoded Encode(int selector, WStringView element) {
    StringSink sink;
    Console console{sink};
    ByteBuffer out;
    EncodeAttributes(selector, out, element, console);
    return {out, sink.text()};
}

Bytes Utf16(WStringView text) {
    Bytes out;
    PutUtf16(out, text);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kDutchFaceTag = Concat({{0x16, 0xF5, 0x28, 0x00}, Utf16(u"Dutch801 Rm BT Roman")});

struct EncodingCase {
    const char* what;
    int selector;
    WStringView element;
    Bytes expected;
};

TEST(EncodeAttributes, WritesTheBytesOfEachSpecialEncoding) {
    const EncodingCase cases[] = {
        {"enumerated align", kTextAttributes, u"<TextStyle align=\"center\"/>", {0x3C, 0xF5, 0x04, 0x00}},
        {"colour reversed", kTextAttributes, u"<TextStyle textcolor=\"0xff000000\"/>",
         {0x17, 0xF5, 0xFF, 0x00, 0x00, 0x00}},
        {"colour channels", kBlockAttributes, u"<BlockStyle bgcolor=\"0x00112233\"/>",
         {0x34, 0xF5, 0x00, 0x11, 0x22, 0x33}},
        {"line width divided by 5", kTextAttributes, u"<TextStyle textlinewidth=\"12\"/>", {0xF1, 0xF5, 0x02, 0x00}},
        {"bgimagemode fix in a page", kPageAttributes, u"<PageStyle bgimagemode=\"fix\"/>",
         {0x29, 0xF5, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"bgimagemode fix in a block", kBlockAttributes, u"<BlockStyle bgimagemode=\"fix\"/>",
         {0x29, 0xF5, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"negative in two's complement", kTextAttributes, u"<Span fontwidth=\"-10\">", {0x12, 0xF5, 0xF6, 0xFF}},
        {"font face name", kTextAttributes, u"<TextStyle fontfacename=\"Dutch801 Rm BT Roman\"/>", kDutchFaceTag},
        {"value trimmed, inner blanks kept", kTextAttributes, u"<Span fontfacename=\"  Dutch801 Rm BT Roman \">",
         kDutchFaceTag},
        {"empdotscode alone", kTextAttributes, u"<TextStyle empdotscode=\"42\"/>",
         {0x78, 0xF5, 0, 0, 0, 0, 0x16, 0xF5, 0x00, 0x00, 0x2A, 0x00}},
        {"empdotscode disabled by a font", kTextAttributes,
         u"<TextStyle empdotscode=\"42\" empdotsfontname=\"Dutch801 Rm BT Roman\"/>",
         Concat({{0x78, 0xF5, 0, 0, 0, 0}, kDutchFaceTag, {0x2E, 0x00}})},
        {"ruby pair", kTextAttributes, u"<TextStyle rubyalign=\"center\" rubyadjust=\"line-edge\"/>",
         {0x75, 0xF5, 0x12, 0x00}},
        {"ruby single", kTextAttributes, u"<TextStyle rubyalign=\"start\"/>", {}},
        {"attributes in element order", kTextAttributes, u"<TextStyle fontsize=\"100\" objid=\"x\" align=\"head\"/>",
         {0x11, 0xF5, 0x64, 0x00, 0x3C, 0xF5, 0x01, 0x00}},
        {"unknown to this table", kPageAttributes, u"<PageStyle objid=\"ps\" fontsize=\"100\"/>", {}},
        {"no blank after the name", kTextAttributes, u"<Spanfontsize=\"100\">", {}},
        {"other selector", 3, u"<X fontsize=\"100\"/>", {}},
    };
    for (const EncodingCase& c : cases) {
        const Encoded e = Encode(c.selector, c.element);
        EXPECT_EQ(e.tags, c.expected) << c.what;
        EXPECT_EQ(e.printed, "") << c.what;
    }
}

TEST(EncodeAttributes, BookDefaultsOfTheDriverGiveTheBookAttributeTags) {
    const Bytes tags = Encode(kTextAttributes,
                              u"<SetDefault rubyalign=\"start\" rubyadjust=\"none\" rubyoverhang=\"none\" "
                              u"empdotsposition=\"before\" empdotsfontname=\"Dutch801 Rm BT Roman\" "
                              u"empdotscode=\"0x002e\" emplineposition=\"before\" emplinetype=\"solid\" "
                              u"setwaitprop=\"noreplay\"/>")
                           .tags;
    const Bytes expected = Concat({{0x75, 0xF5, 0x01, 0x00, 0x76, 0xF5, 0x00, 0x00, 0x77, 0xF5, 0x01, 0x00},
                                   {0x78, 0xF5, 0, 0, 0, 0},
                                   kDutchFaceTag,
                                   {0x2E, 0x00},
                                   {0x79, 0xF5, 0x01, 0x00, 0x7A, 0xF5, 0x10, 0x00, 0xDA, 0xF5, 0x02, 0x00}});
    EXPECT_EQ(tags, expected);
}

struct ErrorCase {
    const char* what;
    int selector;
    WStringView element;
    Bytes expected;
    std::string printed;
};

TEST(EncodeAttributes, ReportsIncorrectValuesAndGoesOn) {
    const ErrorCase cases[] = {
        {"unknown word, then not a number", kTextAttributes, u"<Span align=\"left\" fontsize=\"90\">",
         {0x11, 0xF5, 0x5A, 0x00},
         "\nError: Incorrect value =left in Tag 0xF53C\n\nError: Incorrect value =left in align\n"},
        {"unknown word that is a number", kTextAttributes, u"<Span align=\"4\">", {0x3C, 0xF5, 0x04, 0x00},
         "\nError: Incorrect value =4 in Tag 0xF53C\n"},
        {"empty enumerated value", kBlockAttributes, u"<BlockStyle blockrule=\"\"/>", {},
         "\nError: Incorrect value = in Tag 0xF533\n\nError: Incorrect value = in blockrule\n"},
        {"integer expected", kTextAttributes, u"<Span fontsize=\"big\" parskip=\"1\">", {0x1E, 0xF5, 0x01, 0x00},
         "\nError: Incorrect value =big in fontsize\n"},
        {"colour not a number", kBlockAttributes, u"<BlockStyle bgcolor=\"black\"/>", {},
         "\nError: Incorrect value =black in bgcolor\n"},
        {"bad ruby word stops the element", kTextAttributes,
         u"<TextStyle rubyalign=\"middle\" rubyadjust=\"none\" fontsize=\"90\"/>", {},
         "\nError: Incorrect value =middle in rubyalign\n"},
    };
    for (const ErrorCase& c : cases) {
        const Encoded e = Encode(c.selector, c.element);
        EXPECT_EQ(e.tags, c.expected) << c.what;
        EXPECT_EQ(e.printed, c.printed) << c.what;
    }
}

TEST(EncodeAttributes, MalformedMarkupGivesEmptyValuesWithinTheText) {
    const ErrorCase cases[] = {
        {"value runs to the next quote", kTextAttributes, u"<Span fontsize=\"10 align=\"head", {},
         "\nError: Incorrect value =10 align= in fontsize\n"},
        {"unterminated last value", kTextAttributes, u"<Span parskip=\"1\" fontsize=\"12", {0x1E, 0xF5, 0x01, 0x00},
         "\nError: Incorrect value = in fontsize\n"},
        {"equals sign last", kTextAttributes, u"<Span align=",
         {}, "\nError: Incorrect value = in Tag 0xF53C\n\nError: Incorrect value = in align\n"},
        {"name without equals sign", kTextAttributes, u"<Span fontsize", {}, ""},
    };
    for (const ErrorCase& c : cases) {
        const Encoded e = Encode(c.selector, c.element);
        EXPECT_EQ(e.tags, c.expected) << c.what;
        EXPECT_EQ(e.printed, c.printed) << c.what;
    }
}

TEST(WriteTag, UnsupportedSizeWritesNothingAndSaysSo) {
    StringSink sink;
    Console console{sink};
    ByteBuffer out;
    WriteTag(out, TTag{{}, 0xF511, 3}, 7, console);
    WriteTag(out, TTag{{}, 0xF511, -1}, 7, console);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(sink.text(), "\nError: Incorrect tag length...\n\nError: Incorrect tag length...\n");
}

}  // namespace
}  // namespace tavorin::lrf
