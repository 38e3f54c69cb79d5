// Reading attribute values and stripping markup from plain texts.
#include <gtest/gtest.h>

#include "lrf/store/builders.h"

namespace tavorin::lrf {
namespace {

TEST(GetAttribute, TakesTheFirstOccurrenceEvenInsideALongerName) {
    const WStringView text = u"<RuledLine textlinewidth=\"12\" linewidth=\"3\"/>";
    EXPECT_EQ(GetAttribute(u"linewidth", text), "12");
    EXPECT_EQ(GetAttributeW(u"linewidth", text), u"12");
    EXPECT_EQ(GetAttribute(u"file", u" file=\"a.ttf\" fontfilename=\"Face\""), "a.ttf");
}

TEST(GetAttribute, QuotesAndMissingValues) {
    struct Case {
        WStringView text;
        std::string value;   // GetAttribute: double or single quotes
        WString wideValue;   // GetAttributeW: double quotes only
    };
    const Case cases[] = {
        {u"<binary id='pic' content-type=\"image/png\">", "pic", u"image/png"},
        {u"<Page objid=\"\u0444\u0430\"/>", "\xD1\x84\xD0\xB0", u"\u0444\u0430"},  // UTF-8 result
        {u"<Page objid=\"p1", "", u""},                                           // unterminated
        {u"<Page objid=", "", u""},                                               // "=" last
        {u"<Page objid", "", u""},                                                // name at the very end
        {u"<Page pagestyle=\"ps\"/>", "", u""},                                   // absent
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetAttribute(u"id", c.text), c.value) << Narrow(c.text);
        EXPECT_EQ(GetAttributeW(u"id", c.text), c.wideValue) << Narrow(c.text);
    }
}

TEST(StripMarkup, CutsAtTheFirstLineBreakAndDropsEmphasisAndParagraphs) {
    const std::pair<WString, WString> cases[] = {
        {u"<P><Bold>Part One</Bold></P><CR/>and more", u"Part One"},
        {u"<P/><Italic>a</Italic> b<P x=\"1\">c/P>", u"a b x=\"1\">c"},
        {u"<<P>P>x", u"x"},  // a deletion that forms a new tag deletes that one too
        {u"<Sup>1</Sup>", u"<Sup>1</Sup>"},
    };
    for (auto [text, expected] : cases) {
        StripMarkup(text);
        EXPECT_EQ(text, expected);
    }
}

}  // namespace
}  // namespace tavorin::lrf
