// Text stream codes of text operations.
#include <gtest/gtest.h>

#include "lrf/tags/tag_table.h"
#include "lrf/writer/text_stream.h"
#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

using enum TextCode;

std::vector<uint8_t> Encode(const TextContent& content, const std::vector<TagValue>& style = BodyTextStyle(),
                            const std::vector<ButtonRecord>& buttons = {}, bool deviceCharacters = true,
                            const std::vector<ImageBlockRecord>& images = {}) {
    StringSink printed;
    Console console{printed};
    ByteBuffer styleTags;
    EncodeTags(kTextAttributes, styleTags, style, console);
    // Button reference n leads to button record n; reference 9 to none.
    std::vector<uint32_t> references(buttons.size());
    for (uint32_t n = 0; n < references.size(); ++n) references[n] = n;
    references.resize(10, kNoRecord);
    TextStreamEncoder encoder(styleTags, buttons, references, deviceCharacters, images);
    encoder.Feed(ViewOf(content));
    return encoder.stream();
}

struct Case {
    const char* what;
    TextContent content;
    std::vector<uint8_t> expected;
};

const Step kDotted(kEmpLine, {{Tag::kEmpLinePosition, 2}, {Tag::kEmpLineType, 0x40}});

TEST(TextStream, OperationCodes) {
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
        {"plain text", Content({u"Hello"}), Words({'H', 'e', 'l', 'l', 'o'})},
        {"paragraph", Paragraph(u"a"), Words({0xF5A1, 0, 0, 'a', 0xF5A2})},
        {"empty paragraph and line break", Content({kEmptyParagraph, kLineBreak}),
         Words({0xF5A1, 0, 0, 0xF5A2, 0xF5D2})},
        {"italic, sup, sub", Content({kItalic, u"i", kItalicEnd, kSup, u"2", kSupEnd, kSub, u"3", kSubEnd}),
         Words({0xF581, 'i', 0xF582, 0xF5B7, '2', 0xF5B8, 0xF5B9, '3', 0xF5BA})},
        {"span restores the style value", Content({{kSpan, {{Tag::kFontSize, 60}}}, u"x", kSpanEnd}),
         Words({0xF511, 60, 'x', 0xF511, 100})},
        {"paragraph end restores the span", Content({kParagraph, {kSpan, {{Tag::kFontSize, 60}}}, u"a", kParagraphEnd}),
         Words({0xF5A1, 0, 0, 0xF511, 60, 'a', 0xF511, 100, 0xF5A2})},
        {"bold doubles the style weight", Content({kBold, u"b", kBoldEnd}), Words({0xF515, 800, 'b', 0xF515, 400})},
        {"bold end before any bold", Content({kBoldEnd, u"b"}), Words({'b'})},
        {"button", Content({Step::Button(0), u"1", kButtonEnd}), Words({0xF5A7, 0x4567, 0x0123, '1', 0xF5A8})},
        {"button of no button is plain text", Content({Step::Button(9), u"1", kButtonEnd}), Words({'1'})},
        {"link that leads nowhere is plain text",
         Content({Step::Button(1), kDotted, u"x", kEmpLineEnd, kButtonEnd, kDotted, u"y", kEmpLineEnd}),
         Words({'x', 0xF5C1, 0xF579, 2, 0xF57A, 0x40, 'y', 0xF5C2})},
        {"emphasis line: start, its attributes, text, end", Content({kDotted, u"x", kEmpLineEnd, kEmpLineEnd}),
         Words({0xF5C1, 0xF579, 2, 0xF57A, 0x40, 'x', 0xF5C2})},
        {"emphasis line of type none is no line",
         Content({Step::Button(0), {kEmpLine, {{Tag::kEmpLinePosition, 2}, {Tag::kEmpLineType, 0}}, 1}, u"1",
                  kEmpLineEnd, kButtonEnd}),
         Words({0xF5A7, 0x4567, 0x0123, '1', 0xF5A8})},
        {"space empties the span", Content({{kSpan, {{Tag::kFontSize, 60}}}, {kSpace, {{Tag::kXSize, 500}}}, u"x", kSpanEnd}),
         Words({0xF511, 60, 0xF5CA, 500, 'x'})},
        {"dashes, spaces, line ends", Content({u"a\u2014b\u00A0c\r\n"}), Words({'a', 0x2013, 'b', 0x0C, 'c'})},
        {"paragraph end without its start", Content({kBold, u"b", kBoldEnd, kParagraphEnd, kLineBreak}),
         Words({0xF515, 800, 'b', 0xF515, 400, 0xF5D2})},
    };
    for (const Case& c : cases) EXPECT_EQ(Encode(c.content, BodyTextStyle(), buttons), c.expected) << c.what;
}

TEST(TextStream, BookCharactersForSoftwareReaders) {
    EXPECT_EQ(Encode(Content({u"a\u2014b\u00A0c"}), BodyTextStyle(), {}, false), Words({'a', 0x2014, 'b', 0xA0, 'c'}));
}

TEST(TextStream, PlotNamesTheImageObjectOfItsNumber) {
    std::vector<ImageBlockRecord> images(2);  // the first lost its stream at linking
    images[1].id = 0x1020304;
    images[1].imageStreamId = 80;
    // F5D1: width, height (16 bits each), the image object's id, the adjustment 4 (bottom).
    EXPECT_EQ(Encode(Content({Step::Plot(1, 300, 20), Step::Plot(0, 3, 2), Step::Plot(2, 3, 2)}), BodyTextStyle(), {},
                     true, images),
              Words({0xF5D1, 300, 20, 0x0304, 0x0102, 4, 0}));
}

TEST(TextStream, SpanAttributeMissingFromStyleRestoresNothing) {
    // The style ends with the code the span changes, and lacks fontwidth.
    const std::vector<TagValue> style = {{Tag::kFontWeight, 400}, {Tag::kFontSize, 100}};
    EXPECT_EQ(Encode(Content({{kSpan, {{Tag::kFontWidth, -10}, {Tag::kFontSize, 60}}}, u"x", kSpanEnd}), style),
              Words({0xF512, 0xFFF6, 0xF511, 60, 'x', 0xF511, 100}));
}

TEST(TextStream, BoldWithoutStyleWeightWritesNothing) {
    EXPECT_EQ(Encode(Content({kBold, u"b", kBoldEnd}), {{Tag::kFontSize, 100}}), Words({'b'}));
}

TEST(TextStream, StateCarriesAcrossFeeds) {
    StringSink printed;
    Console console{printed};
    ByteBuffer styleTags;
    EncodeTags(kTextAttributes, styleTags, BodyTextStyle(), console);
    const std::vector<ButtonRecord> buttons;
    TextStreamEncoder encoder(styleTags, buttons, {}, true);
    encoder.Feed(ViewOf(Content({{kSpan, {{Tag::kFontSize, 60}}}, u"a"})));
    encoder.Feed(ViewOf(Content({kSpanEnd})));
    EXPECT_EQ(encoder.stream(), Words({0xF511, 60, 'a', 0xF511, 100}));
}

}  // namespace
}  // namespace tavorin::lrf::test
