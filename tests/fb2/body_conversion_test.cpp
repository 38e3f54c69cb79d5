// The element loop and the block emitter: blocks, styles, flushing, dropped
// elements, the notes body, text-author lines and the progress line.
#include <string>
#include <vector>

#include "body_fixture.h"
#include "fb2/block_emitter.h"
#include "fb2/body.h"
#include "fb2/pages.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2::test {
namespace {

using Blocks = std::vector<BlockView>;

TEST_F(BodyTest, SectionWithTitleOnANewPage) {
    BuildHeaderFooterSources(cv.running, cv.description, settings);  // fixed header "$AT", footer from each title
    for (int i = 0; i < 3; ++i) StartPage(cv.cursor, store, cv.styles);
    cv.cursor.FirstTitlePending = false;
    cv.running.HeaderCounter = 1;  // the fixed header pair exists (here, none was built)
    cv.running.FooterCounter = 2;

    ConvertBodies("<body><section><title><p>One</p></title><p>Text</p></section></body>");

    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_ftro", "<P><Italic>One</Italic></P>"},
                                    {"b1", "ts_ftro", "<P><Italic>One</Italic></P>"},
                                    {"b2", "ts_tit0", "<Bold><P>One</P></Bold><CR/>"},
                                    {"b3", "ts_bdy", "<P>Text</P><CR/>"}}));
    const auto& store = cv.store;
    EXPECT_TRUE(store.headers.empty());
    ASSERT_EQ(store.footers.size(), 2u);
    for (const auto& footer : store.footers) {
        EXPECT_EQ(footer.y1, 10);
        EXPECT_EQ(footer.block, 0u);  // the odd footer block; both show it
    }
    EXPECT_EQ(store.blockStyles[store.blocks[0].blockStyle].styleLabel, "bs_ftro");
    EXPECT_EQ(store.freeBlockList.size(), 2u);  // the footer blocks belong to no page

    ASSERT_EQ(store.pages.size(), 4u);
    const lrf::PageRecord& page = store.pages[3];
    EXPECT_EQ(store.pageStyles[page.pageStyle].styleLabel, "ps_gen");
    EXPECT_EQ(page.oddHeader, lrf::kNoRecord);
    EXPECT_EQ(page.evenHeader, lrf::kNoRecord);
    EXPECT_EQ(page.oddFooter, 0u);
    EXPECT_EQ(page.evenFooter, 1u);
    EXPECT_EQ(page.content.size(), 2u);

    EXPECT_EQ(cv.contents.TocEntries, (std::vector<Contents::TocEntry>{{3, 2, u"One"}}));
    EXPECT_EQ(store.blocks.size(), 4u);
    EXPECT_EQ(cv.running.FooterCounter, 3);
    EXPECT_EQ(cv.cursor.PageCounter, 4);
    EXPECT_EQ(cv.cursor.SectionDepth, -1);
}

TEST_F(BodyTest, LongBuffersAreEmittedAtAParagraphEnd) {
    StartPage(cv.cursor, store, cv.styles);
    const std::string long_text(3000, 'x');
    const std::string para = "<p>" + long_text + "</p>";
    ConvertBodies("<body><section>" + para + para + para + "</section></body>");
    const std::string marked = "<P>" + long_text + "</P><CR/>";
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy", marked + marked}, {"b1", "ts_bdy", marked}}));

    StartOver();
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><p>a</p>\n<p>b</p>\n<p>c</p></section></body>");
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy", "<P>a</P><CR/><P>b</P><CR/><P>c</P><CR/>"}}));
}

TEST_F(BodyTest, WhitespaceShowsAsOneBlankAndLooseTextIsAParagraph) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><p>\none\r\ntwo <emphasis> x </emphasis>\nthree\n\t\tfour\n</p>\n"
                  "<p>five&#32;&#32;\xC2\xA0 six</p>loose <strong>text</strong><p>seven</p></section></body>");
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy",
                                     "<P>one two <Italic>x </Italic>three four</P><CR/><P>five  \u00A0 six</P><CR/>"
                                     "<P>loose <Bold>text</Bold></P><CR/><P>seven</P><CR/>"}}));
}

TEST_F(BodyTest, ImagesInsideLinesStayInThemAndImagesBetweenBlocksAreBlocks) {
    StartPage(cv.cursor, store, cv.styles);
    lrf::BuildImageStream(store, {.objid = "pic", .width = 30, .height = 20, .data = {}}, std::vector<uint8_t>{1});
    lrf::BuildImageStream(store, {.objid = "wide", .width = 1168, .height = 100, .data = {}}, std::vector<uint8_t>{1});
    ConvertBodies("<body><section><p>Text <image l:href=\"#pic\"/> <image l:href=\"#absent\"/>more</p>"
                  "<image l:href=\"#pic\"/><subtitle><image l:href=\"#wide\"/></subtitle></section></body>");
    // Sizes in 1/720 inch; the wide one scaled down to the text width, 584 pixels.
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy", "<P>Text <Plot image=\"0\" xsize=\"130\" ysize=\"87\"/> more</P><CR/>"},
                                    {"b2", "ts_subtit0", "<P><Bold><Plot image=\"2\" xsize=\"2533\" ysize=\"217\"/></Bold></P>"}}));
    ASSERT_EQ(store.blocks.size(), 3u);
    EXPECT_EQ(store.blocks[1].childKind, lrf::kKindImageBlock);
    EXPECT_EQ(store.imageBlocks.size(), 3u);
}

TEST_F(BodyTest, EmptyStructuralElementsKeepTheRestOfTheBook) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><title/><p>After</p></section><section><p>Next</p></section></body>");
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy", "<P>After</P><CR/>"}, {"b1", "ts_bdy", "<P>Next</P><CR/>"}}));
}

TEST_F(BodyTest, StylesFollowTheElement) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><subtitle>Sub</subtitle><epigraph><p>E</p></epigraph>"
                  "<cite id=\"c\"><p>C</p></cite></section></body>");
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_subtit0", "<P><Bold>Sub</Bold></P>"},
                                    {"b1", "ts_epig", "<Italic><P>E</P></Italic><CR/>"},
                                    {"b#c", "ts_cite", "<Italic><P>C</P></Italic><CR/>"}}));
    // The epigraph's left margin differs from its right one: a block space shifts it.
    EXPECT_EQ(cv.store.inlines.size(), 1u);
}

TEST_F(BodyTest, NotesBodyStartsAPageAndUsesTheNoteStyle) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><p>Main</p></section></body>"
                  "<body\n  name=\"notes\"><section id=\"n1\"><p>A note with <emphasis>x</emphasis></p></section></body>");
    EXPECT_EQ(TextBlocks(), (Blocks{{"b0", "ts_bdy", "<P>Main</P><CR/>"},
                                    {"b#n1", "ts_note", "<P>A note with <Italic>x</Italic></P><CR/>"}}));
    EXPECT_EQ(cv.cursor.PageCounter, 2);
    EXPECT_TRUE(cv.links.PendingTarget.empty());
}

TEST_F(BodyTest, BlocksWithoutContentKeepThePendingId) {
    StartPage(cv.cursor, store, cv.styles);
    cv.links.PendingTarget = u"keep";
    for (const char16_t* text : {u"  \r\n ", u"<P>", u" <CR/> ", u"</P>"}) EmitBlock(cv, BlockKind::kBody, Markup(text));
    EXPECT_TRUE(TextBlocks().empty());
    EXPECT_EQ(cv.links.PendingTarget, u"keep");
}

TEST_F(BodyTest, TextAuthorGetsItsOwnIndentedParagraph) {
    StartPage(cv.cursor, store, cv.styles);
    Style(settings, StyleKind::kBody).AuthorBoldItalic = 1;
    ConvertBodies("<body><section><p>Line</p><text-author>Name</text-author></section>"
                  "<section><title><p>T</p><text-author>Kept</text-author></title></section></body>");
    const Blocks blocks = TextBlocks();
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0].text, "<P>Line</P><CR/></Italic></Bold><P><Space xsize=\"300\"/><Bold>Name</Bold></P><CR/>");
    // A title has no author look: the line is a plain paragraph of the title.
    EXPECT_EQ(blocks.back().text, "<Bold><P>T</P><CR/></Italic></Bold><P>Kept</P></Bold><CR/>");
}

TEST_F(BodyTest, ProgressPrintsTheHighestStepReached) {
    StartPage(cv.cursor, store, cv.styles);
    cv.progress.ProgressUnit = 10;
    EmitBlock(cv, BlockKind::kBody, Markup(WString(35, u'x')));  // passes steps 1 to 3 at once
    EmitBlock(cv, BlockKind::kHeaderOdd, Markup(WString(30, u'h')));  // running texts are not body text
    EmitBlock(cv, BlockKind::kBody, Markup(WString(10, u'x')));
    EmitBlock(cv, BlockKind::kBody, Markup(WString(200, u'x')));
    EXPECT_EQ(printed.text(), "\r24%\r32%\r80%");
    EXPECT_EQ(cv.console.progressPercent, 80);
    EXPECT_EQ(cv.progress.ProgressStep, 25);
}

TEST_F(BodyTest, SectionIdNamesItsTitleBlockOnANewPage) {
    BuildHeaderFooterSources(cv.running, cv.description, settings);
    for (int i = 0; i < 4; ++i) StartPage(cv.cursor, store, cv.styles);
    cv.cursor.FirstTitlePending = false;
    ConvertBodies("<body><section id=\"ch2\"><title><p>Two</p></title><p>Text</p></section></body>");
    // The footer blocks made for the new page leave the id to the title.
    const Blocks blocks = TextBlocks();
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[4].name, "b#ch2");
    EXPECT_EQ(blocks[4].textStyle, "ts_tit0");
    EXPECT_EQ(cv.contents.TocEntries, (std::vector<Contents::TocEntry>{{4, cv.links.BlockOfId.at("ch2"), u"Two"}}));
}

}  // namespace
}  // namespace tavorin::fb2::test
