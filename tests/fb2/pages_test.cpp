// Pages, titles, running headers and footers and the table of contents.
#include <string>
#include <vector>

#include "body_fixture.h"
#include "fb2/description.h"
#include "fb2/pages.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2::test {
namespace {

using Blocks = std::vector<BlockView>;

TEST(TocText, ReducesATitleToOneLine) {
    const std::pair<WString, WString> cases[] = {
        {u"<P>Part I</P><CR/><P>The Beginning</P><CR/>", u"Part I. The Beginning"},
        {u"<P>Part I</P><CR/><CR/><P>The Beginning</P><CR/>", u"Part I. . The Beginning"},
        {u"<P>Part I.</P><CR/><P>Go...</P>", u"Part I. Go."},
        {u"<P><Bold>One</Bold><CharButton refobj=\"bf#1\"><EmpLine>[1]</EmpLine></CharButton></P>", u"One"},
        {u"<P>E = mc<Sup>2</Sup>, <Span fontfacename=\"Courier10 BT Roman\">x &lt; y</Span></P>", u"E = mc2, x < y"},
    };
    for (const auto& [title, label] : cases) EXPECT_EQ(U8(TocText(Markup(title, true))), U8(label));
}

TEST_F(BodyTest, RunningTextsAreCutToTheLine) {
    const TextContent title = Markup(u"<P>The long journey of a hero across the seven seas and beyond!</P><CR/>");
    EXPECT_EQ(Notation(RunningPartText(settings, kRunningFooter, title, true)),
              "<P><Italic>The long journey of a hero across the ...</Italic></P>");
    EXPECT_EQ(Notation(RunningPartText(settings, kRunningFooter, title, false)),
              "<P><Italic>The long journey of a hero across the seven seas...</Italic></P>");
    // The line holds characters as shown: "&" is one.
    const TextContent entity = Markup(u"<P>" + WString(44, u'x') + u" &amp; more words here</P>", true);
    EXPECT_EQ(Notation(RunningPartText(settings, kRunningHeader, entity, false)),
              "<P><Italic>" + std::string(44, 'x') + " &amp; m...</Italic></P>");
}

TEST_F(BodyTest, TopLevelSectionsStartPagesAfterTheFirst) {
    cv.description.ShortAuthors = u"A. Author";
    cv.description.BookTitle = u"Book";
    BuildHeaderFooterSources(cv.running, cv.description, settings);
    for (int i = 0; i < 3; ++i) StartPage(cv.cursor, store, cv.styles);  // cover, title and annotation pages
    ConvertBodies("<body><title><p>Book</p></title>"
                  "<section><title><p>One</p></title><p>1</p></section>"
                  "<section><title><p>Two</p></title><p>2</p></section>"
                  "<section><title><p>Three</p></title><p>3</p></section></body>");

    const auto& pages = cv.store.pages;
    ASSERT_EQ(pages.size(), 5u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i + 2].oddHeader, 0u);               // the fixed pair, for every page
        EXPECT_EQ(pages[i + 2].oddFooter, 2 * i + 2) << i;  // a pair of its own; the first title named page 1
    }
    EXPECT_EQ(cv.store.headers.size(), 2u);  // one fixed pair for the whole book
    const Blocks blocks = TextBlocks();
    ASSERT_EQ(blocks.size(), 16u);
    EXPECT_EQ(blocks[0].text, "<P><Italic>A. Author, \"Book\"</Italic></P>");
    EXPECT_EQ(blocks[8].text, "<P><Italic>Two</Italic></P>");
    EXPECT_EQ(cv.contents.TocEntries,
              (std::vector<Contents::TocEntry>{{2, 6, u"One"}, {3, 10, u"Two"}, {4, 14, u"Three"}}));
}

TEST_F(BodyTest, NestedTitlesStartPagesOnlyWhenAsked) {
    for (const uint8_t pageAtSubtitles : {0, 1}) {
        StartOver();
        settings.General.PageAtSubtitles = pageAtSubtitles;
        for (int i = 0; i < 4; ++i) StartPage(cv.cursor, store, cv.styles);
        cv.cursor.FirstTitlePending = false;
        ConvertBodies("<body><section><title><p>A</p></title>"
                      "<section><title><p>B</p></title><p>x</p></section></section></body>");
        EXPECT_EQ(cv.cursor.PageCounter, 5 + pageAtSubtitles);
        ASSERT_EQ(cv.contents.TocEntries.size(), 2u);
        EXPECT_EQ(cv.contents.TocEntries[1].label, u"   B");
    }
}

TEST_F(BodyTest, NotesTitlesStartNoPageAndNoTocEntry) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body name=\"notes\"><section><title><p>1</p></title><p>Note text</p></section></body>");
    EXPECT_EQ(cv.cursor.PageCounter, 2);
    EXPECT_TRUE(cv.contents.TocEntries.empty());
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_refer", "<P>1</P><CR/>"}, {"b1", "ts_note", "<P>Note text</P><CR/>"}}));
}

}  // namespace
}  // namespace tavorin::fb2::test
