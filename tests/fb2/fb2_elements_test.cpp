// FB2 as other programs write it: elements known by their name whatever
// attributes they carry, inline elements without markup of their own keeping
// their text, FB2 2.1 elements, tables, poem titles and dates, comments and
// CDATA sections. Each row is a body and the blocks a reader must see.
#include <string>
#include <vector>

#include "body_fixture.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2::test {
namespace {

using Blocks = std::vector<BlockView>;

struct ElementCase {
    const char* what;
    const char* section;  // the content of one main-body section
    Blocks expected;
};

TEST_F(BodyTest, ElementsAreReadByTheirNames) {
    const ElementCase cases[] = {
        {"inline elements with attributes, any quotes and spacing",
         "<p xml:lang='en'>a <emphasis  class=\"x\" >e</emphasis> <strong style='s'>s</strong>"
         "<sup\ttype=\"n\">2</sup><sub id='i'>3</sub></p>",
         {{"b0", "ts_bdy", "<P>a <Italic>e</Italic> <Bold>s</Bold><Sup>2</Sup><Sub>3</Sub></P><CR/>"}}},
        {"code in the monospace face; other unknown elements keep their text",
         "<p><code>f(x)</code>, <strikethrough>old</strikethrough> <b>bold</b> <foo:bar x='1'>new</foo:bar></p>",
         {{"b0", "ts_bdy",
           "<P><Span fontfacename=\"Courier10 BT Roman\">f(x)</Span>, old bold new</P><CR/>"}}},
        {"comments and processing instructions are skipped, CDATA is text",
         "<p>a<!-- not > shown -->b<?pi x?>c <![CDATA[<x> & y]]></p><!-- <p>gone</p> -->",
         {{"b0", "ts_bdy", "<P>abc &lt;x&gt; &amp; y</P><CR/>"}}},
        {"a caption and each table row are paragraphs, header cells bold; the table's id ends its block",
         "<table id=\"t\">\n <caption>Cap</caption>\n <tr>\n  <th>H</th>\n  <th align='right'>I</th>\n </tr>\n"
         " <tr><td>a</td><td colspan=\"2\">b</td><td/></tr>\n</table>",
         {{"b0", "ts_bdy", "<P>Cap</P><CR/>"},
          {"b1", "ts_bdy", "<P><Bold>H</Bold> | <Bold>I</Bold></P><CR/><P>a | b |</P><CR/>"}}},
        {"verses, stanzas and text-authors with attributes; a verse's id keeps its stanza whole; the poem's title "
         "and date, each on a line of its own",
         "<poem id=\"p\"><title><p>Ode</p></title><stanza xml:lang=\"en\"><title><p>I</p></title>"
         "<v id=\"v1\">One</v><v>Two</v></stanza><text-author id=\"a\">Poet</text-author>"
         "<date value=\"1900-01-01\">1900</date></poem>",
         {{"b#p", "ts_subtit0", "<Bold><P>Ode</P></Bold><CR/>"},
          {"b1", "ts_subtit0", "<Bold><P>I</P></Bold><CR/>"},
          {"b2", "ts_poem", "<Italic><P>One</P><CR/><P>Two</P><CR/></Italic><CR/>"},
          {"b3", "ts_poem",
           "<Italic></Italic></Bold><P><Space xsize=\"243\"/><Bold>Poet</Bold></P><CR/>"
           "</Italic></Bold><P><Space xsize=\"243\"/><Bold>1900</Bold></P></Italic><CR/>"}}},
        {"a paragraph with attributes but no id is a plain paragraph",
         "<p style=\"x\">Plain</p>",
         {{"b0", "ts_bdy", "<P>Plain</P><CR/>"}}},
    };
    for (const ElementCase& c : cases) {
        StartOver();
        StartPage(cv.cursor, store, cv.styles);
        ConvertBodies(std::string("<body><section>") + c.section + "</section></body>");
        EXPECT_EQ(TextBlocks(), c.expected) << c.what;
    }
}

TEST_F(BodyTest, SectionsWithAttributesNestAndTheirTitlesAreChapters) {
    for (int i = 0; i < 3; ++i) StartPage(cv.cursor, store, cv.styles);
    cv.cursor.FirstTitlePending = false;
    ConvertBodies("<body><section id=\"c1\" xml:lang=\"en\"><title><p>One</p></title><p>a</p>"
                  "<section id='c2'><title><p>Two</p></title><p>b</p></section><p>c</p></section>"
                  "<section><title><p>Three</p></title></section></body>");
    std::vector<std::string> titles;
    for (const BlockView& block : TextBlocks()) {
        if (block.textStyle == "ts_tit0") titles.push_back(block.name + " " + block.text);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"b#c1 <Bold><P>One</P></Bold><CR/>",
                                                "b#c2 <Bold><P>Two</P></Bold><CR/>",
                                                "b" + std::to_string(store.blocks.size() - 1) +
                                                    " <Bold><P>Three</P></Bold><CR/>"}));
    ASSERT_EQ(cv.contents.TocEntries.size(), 3u);
    EXPECT_EQ(cv.contents.TocEntries[1], (Contents::TocEntry{3, cv.links.BlockOfId.at("c2"), u"   Two"}));
    EXPECT_EQ(cv.cursor.SectionDepth, -1);
    EXPECT_EQ(cv.cursor.PageCounter, 5);  // top-level titles start pages, the nested one does not
}

TEST_F(BodyTest, LinksToMissingTargetsAreReportedOnce) {
    StartPage(cv.cursor, store, cv.styles);
    ConvertBodies("<body><section><p><a l:href='#gone'>1</a> <a l:href=\"#gone\">2</a> <a l:href='#v'>3</a></p>"
                  "<poem><stanza><v id='v'>Verse</v></stanza></poem></section></body>");
    ResolveAnchors(cv.links, store, console);
    const std::string console = printed.text();
    EXPECT_EQ(console, "\nError: Link target not found: gone\n");
    // The verse is a target although it starts no block of its own.
    ASSERT_EQ(cv.store.buttons.size(), 6u);
    EXPECT_EQ(Target(4), "b1");
}

}  // namespace
}  // namespace tavorin::fb2::test
