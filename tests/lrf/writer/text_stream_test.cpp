// Text stream codes of paragraph markup, and the simple text stream.
#include <gtest/gtest.h>

#include "lrf/tags/tag_table.h"
#include "lrf/writer/text_stream.h"
#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

std::vector<uint8_t> Encode(WStringView markup, const std::vector<TagValue>& style = BodyTextStyle(),
                            const std::vector<ButtonRecord>& buttons = {}, bool deviceCharacters = true,
                            const std::vector<ImageBlockRecord>& images = {}) {
    StringSink printed;
    Console console{printed};
    ByteBuffer styleTags;
    EncodeTags(kTextAttributes, styleTags, style, console);
    const LabelIndex labels = IndexByLabel(buttons, &ButtonRecord::objid);
    TextStreamEncoder encoder(styleTags, buttons, labels, console, deviceCharacters, images);
    encoder.Feed(markup);
    return encoder.stream();
}

struct Case {
    const char* what;
    WStringView markup;
    std::vector<uint8_t> expected;
};

TEST(TextStream, MarkupCodes) {
    std::vector<ButtonRecord> buttons;
    ButtonRecord button;
    button.id = 0x1234567;
    button.objid = "bf_n1";
    button.blockId = 60;
    button.pageId = 50;
    buttons.push_back(button);
    button.objid = "bf_nowhere";  // a link whose target the book lacks
    button.blockId = button.pageId = 0;
    buttons.push_back(button);
    const Case cases[] = {
        {"plain text", u"Hello", Words({'H', 'e', 'l', 'l', 'o'})},
        {"paragraph", u"<P>a</P>", Words({0xF5A1, 0, 0, 'a', 0xF5A2})},
        {"empty paragraph and line break", u"<P/><CR/>", Words({0xF5A1, 0, 0, 0xF5A2, 0xF5D2})},
        {"italic, sup, sub", u"<Italic>i</Italic><Sup>2</Sup><Sub>3</Sub>",
         Words({0xF581, 'i', 0xF582, 0xF5B7, '2', 0xF5B8, 0xF5B9, '3', 0xF5BA})},
        {"span restores the style value", u"<Span fontsize=\"60\">x</Span>",
         Words({0xF511, 60, 'x', 0xF511, 100})},
        {"paragraph with attributes", u"<P fontsize=\"60\">a</P>",
         Words({0xF5A1, 0, 0, 0xF511, 60, 'a', 0xF511, 100, 0xF5A2})},
        {"bold doubles the style weight", u"<Bold>b</Bold>", Words({0xF515, 800, 'b', 0xF515, 400})},
        {"bold end before any bold", u"</Bold>b", Words({'b'})},
        {"char button", u"<CharButton refobj=\"bf_n1\">1</CharButton>",
         Words({0xF5A7, 0x4567, 0x0123, '1', 0xF5A8})},
        {"char button of no button is plain text", u"<CharButton refobj=\"bf_zz\">1</CharButton>", Words({'1'})},
        {"link that leads nowhere is plain text",
         u"<CharButton refobj=\"bf_nowhere\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">x</EmpLine>"
         u"</CharButton><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">y</EmpLine>",
         Words({'x', 0xF5C1, 0xF579, 2, 0xF57A, 0x40, 'y', 0xF5C2})},
        {"emphasis line: start, its attributes, text, end",
         u"<EmpLine emplineposition=\"after\" emplinetype=\"dotted\">x</EmpLine></EmpLine>",
         Words({0xF5C1, 0xF579, 2, 0xF57A, 0x40, 'x', 0xF5C2})},
        {"emphasis line of type none is no line",
         u"<CharButton refobj=\"bf_n1\"><EmpLine emplineposition=\"after\" emplinetype=\"none\">1</EmpLine></CharButton>",
         Words({0xF5A7, 0x4567, 0x0123, '1', 0xF5A8})},
        {"space empties the span", u"<Space xsize=\"500\">x</Span>", Words({0xF5CA, 500, 'x'})},
        {"entities", u"&lt;&gt;&apos;&amp;&quot;&nbsp;&copy;", Words({'<', '>', '\'', '&', '"', 0x0C})},
        {"ampersand without semicolon", u"A & B and more", Words({'A', ' ', '&', ' ', 'B', ' ', 'a', 'n', 'd', ' ',
                                                                  'm', 'o', 'r', 'e'})},
        {"dashes, spaces, line ends", u"a\u2014b\u00A0c\r\n", Words({'a', 0x2013, 'b', 0x0C, 'c'})},
        {"unknown tag", u"<Foo bar=\"1\">x", Words({'x'})},
        {"tag cut off at the end", u"ab<Ital", Words({'a', 'b'})},
        {"entity cut off at the end", u"ab&amp", Words({'a', 'b'})},
        {"ampersand near the end keeps the markup", u"<P>x&</P>", Words({0xF5A1, 0, 0, 'x', '&', 0xF5A2})},
        {"paragraph end without its start", u"<Bold>b</Bold></P><CR/>", Words({0xF515, 800, 'b', 0xF515, 400, 0xF5D2})},
    };
    for (const Case& c : cases) EXPECT_EQ(Encode(c.markup, BodyTextStyle(), buttons), c.expected) << c.what;
}

TEST(TextStream, BookCharactersForSoftwareReaders) {
    EXPECT_EQ(Encode(u"a\u2014b\u00A0c&nbsp;", BodyTextStyle(), {}, false), Words({'a', 0x2014, 'b', 0xA0, 'c', 0xA0}));
}

TEST(TextStream, PlotNamesTheImageObjectOfItsNumber) {
    std::vector<ImageBlockRecord> images(2);  // the first lost its stream at linking
    images[1].id = 0x1020304;
    images[1].imageStreamId = 80;
    // F5D1: width, height (16 bits each), the image object's id, the adjustment 4 (bottom).
    EXPECT_EQ(Encode(u"<Plot image=\"1\" xsize=\"300\" ysize=\"20\"/><Plot image=\"0\" xsize=\"3\" ysize=\"2\"/>"
                     u"<Plot image=\"2\" xsize=\"3\" ysize=\"2\"/>", BodyTextStyle(), {}, true, images),
              Words({0xF5D1, 300, 20, 0x0304, 0x0102, 4, 0}));
}

TEST(TextStream, SpanAttributeMissingFromStyleRestoresNothing) {
    // The style ends with the code the span changes, and lacks fontwidth.
    const std::vector<TagValue> style = {{Tag::kFontWeight, 400}, {Tag::kFontSize, 100}};
    EXPECT_EQ(Encode(u"<Span fontwidth=\"-10\" fontsize=\"60\">x</Span>", style),
              Words({0xF512, 0xFFF6, 0xF511, 60, 'x', 0xF511, 100}));
}

TEST(TextStream, BoldWithoutStyleWeightWritesNothing) {
    EXPECT_EQ(Encode(u"<Bold>b</Bold>", {{Tag::kFontSize, 100}}), Words({'b'}));
}

TEST(TextStream, StateCarriesAcrossFeeds) {
    StringSink printed;
    Console console{printed};
    ByteBuffer styleTags;
    EncodeTags(kTextAttributes, styleTags, BodyTextStyle(), console);
    const std::vector<ButtonRecord> buttons;
    const LabelIndex labels;
    TextStreamEncoder encoder(styleTags, buttons, labels, console, true);
    encoder.Feed(u"<Span fontsize=\"60\">a");
    encoder.Feed(u"</Span>");
    EXPECT_EQ(encoder.stream(), Words({0xF511, 60, 'a', 0xF511, 100}));
}

}  // namespace
}  // namespace tavorin::lrf::test
