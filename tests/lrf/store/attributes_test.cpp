// Reading attribute values of the inline markup and stripping markup from plain texts.
#include <gtest/gtest.h>

#include "lrf/store/builders.h"

namespace tavorin::lrf {
namespace {

TEST(GetAttribute, QuotesAndMissingValues) {
    const std::pair<WStringView, std::string> cases[] = {
        {u"<Span textlinewidth=\"12\" id=\"3\"/>", "12"},  // found inside a longer name
        {u"<CharButton id='pic' x=\"1\">", "pic"},
        {u"<Page objid=\"\u0444\u0430\"/>", "\xD1\x84\xD0\xB0"},  // UTF-8 result
        {u"<Page objid=\"p1", ""},                                 // unterminated
        {u"<Page objid", ""},                                      // name at the very end
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(GetAttribute(u"id", text), value) << Narrow(text);
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
