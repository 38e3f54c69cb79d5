// Block contents on the FB2 side: the text a reader gets from the book's
// text as written, and which blocks have something to show.
#include <gtest/gtest.h>

#include "body_fixture.h"
#include "fb2/block_content.h"
#include "fb2/char_refs.h"

namespace tavorin::fb2::test {
namespace {

WString ShownText(const TextContent& content) {
    WString text;
    for (const TextOperation& op : content.ops) {
        if (op.code == TextCode::kText) text += TextOf(content, op);
    }
    return text;
}

TEST(BlockContent, TextIsDecodedAsAReaderShowsIt) {
    const std::pair<WStringView, WStringView> cases[] = {
        {u"<P>x &#60; y &#x3E; z</P>", u"x < y > z"},      // references to markup characters are text
        {u"<P>&amp;lt; &lt;b&gt;</P>", u"&lt; <b>"},        // decoded once
        {u"<P>&#150;&#151;&nbsp;</P>", u"\u2013\u2014\u00A0"},  // C1 codes read as windows-1252
        {u"<P>A & B; &copy; C</P>", u"A & B;  C"},          // a lone '&' stays, an unknown entity goes
        {u"<P>a<Italic>&amp;</Italic>b</P>", u"a&b"},
    };
    for (const auto& [written, shown] : cases) {
        TextContent content = Markup(written);
        DecodeContentText(content);
        EXPECT_EQ(Narrow(ShownText(content)), Narrow(shown)) << Narrow(written);
    }
}

TEST(BlockContent, OnlyBlanksOrALoneMarkShowNothing) {
    const std::pair<WStringView, bool> cases[] = {
        {u"  \r\n ", false}, {u"<CR/>", false}, {u" <P> ", false}, {u"</P>", false},
        {u"<P></P>", true},  {u"<CR/><CR/>", true}, {u"x", true},  {u"<Plot image=\"0\" xsize=\"1\" ysize=\"1\"/>", true},
    };
    for (const auto& [written, shows] : cases) EXPECT_EQ(HasContent(Markup(written)), shows) << Narrow(written);
}

}  // namespace
}  // namespace tavorin::fb2::test
