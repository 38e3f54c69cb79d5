// Inline markup: the replacement table, links and their look, external
// links, anchor paragraphs and safe cut positions.
#include <string>
#include <vector>

#include "body_fixture.h"
#include "fb2/inline_markup.h"
#include "fb2/pages.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2::test {
namespace {

class InlineTest : public BodyTest {
protected:
    // The markup of one main-body paragraph, from a fresh store.
    std::string ConvertParagraph(const std::string& paragraph) {
        StartOver();
        StartPage(cv.cursor, store, cv.styles);
        ConvertBodies("<body><section>" + paragraph + "</section></body>");
        const std::vector<BlockView> blocks = TextBlocks();
        return blocks.empty() ? std::string() : blocks.back().text;
    }
};

constexpr const char* kNoteLink = "<p>Go <a l:href=\"#n1\">[1]</a></p>";

TEST_F(InlineTest, InternalLinkTakesTheReferenceLook) {
    struct Case {
        uint8_t superScript;
        int style, underLine;
        std::string button;
    };
    const std::string open = "<CharButton refobj=\"bf#n1\">";
    const Case cases[] = {
        {0, 0, 2, open + "<EmpLine emplineposition=\"after\" emplinetype=\"dotted\">[1]</EmpLine></CharButton>"},
        {0, 1, 2, open + "<EmpLine emplineposition=\"after\" emplinetype=\"dotted\">1</EmpLine></CharButton>"},
        {0, 2, 2, open + "<EmpLine emplineposition=\"after\" emplinetype=\"dotted\">[1]</EmpLine></CharButton>"},
        {0, 0, 0, open + "<EmpLine emplineposition=\"after\" emplinetype=\"none\">[1]</EmpLine></CharButton>"},
        {1, 0, 4,
         open + "<Sup><EmpLine emplineposition=\"after\" emplinetype=\"double\">[1]</EmpLine></Sup></CharButton>"},
    };
    for (const Case& c : cases) {
        settings.References.RefSuperScript = c.superScript;
        settings.References.RefStyle = c.style;
        settings.References.RefUnderLine = c.underLine;
        EXPECT_EQ(ConvertParagraph(kNoteLink), "<P>Go " + c.button + "</P><CR/>")
            << "style " << c.style << " line " << c.underLine;
    }
}

TEST_F(InlineTest, InternalLinkMakesAButtonPair) {
    ConvertParagraph(kNoteLink);
    const auto& buttons = cv.store.buttons;
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].objid, "bf#n1");
    EXPECT_EQ(buttons[1].objid, "br#n1");
    // The way back leads to the block that holds the link.
    EXPECT_EQ(Aim(1), "b0");
}

TEST_F(InlineTest, AddressedLinksShowTheirAddress) {
    for (const std::string href : {"http://x.org/a", "https://x.org/a", "ftp://host/f", "mailto:a@b.c"}) {
        EXPECT_EQ(ConvertParagraph("<p>See <a l:href=\"" + href + "\">site</a> now</p>"),
                  "<P>See (<Italic>" + href + "</Italic>) site now</P><CR/>");
        EXPECT_TRUE(cv.store.buttons.empty()) << href;
    }
}

TEST_F(InlineTest, LinkWithoutHrefLeavesItsTextOnly) {
    EXPECT_EQ(ConvertParagraph("<p>See <a name=\"x\">site</a> now</p>"), "<P>See site now</P><CR/>");
    EXPECT_TRUE(cv.store.buttons.empty());
}

TEST_F(InlineTest, LinkTagsMayBreakLines) {
    EXPECT_EQ(ConvertParagraph("<p>Go <a\n  l:href=\"#n1\">[1]</a></p>"), ConvertParagraph(kNoteLink));
}

TEST_F(InlineTest, ButtonsCloseWhereTheirBlockEnds) {
    ConvertParagraph("<p>See <a l:href=\"#n1\">the <cite/> picture</a> end</p>");
    const std::vector<BlockView> blocks = TextBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].text,
              "<P>See <CharButton refobj=\"bf#n1\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">the"
              "</EmpLine></CharButton></P>");
    EXPECT_EQ(blocks[1].text, "<P>picture end</P><CR/>");
}

TEST_F(InlineTest, AnchorParagraphs) {
    // Its return button is made by the first link to it, read later ("?" until then).
    EXPECT_EQ(ConvertParagraph("<p id=\"x\">Here</p>"),
              "<P><CharButton refobj=\"?\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">"
              "</EmpLine></CharButton>Here</P><CR/>");
    RegisterButton(cv.links, store, "br#x");
    ResolveAnchors(cv.links, store, console);
    EXPECT_EQ(store.buttonRefs, std::vector<uint32_t>{0});
    ASSERT_EQ(cv.links.Anchors.size(), 1u);
    EXPECT_EQ(cv.links.Anchors[0].id, u"x");
    EXPECT_EQ(cv.links.Anchors[0].page, 0);
    EXPECT_EQ(cv.links.Anchors[0].block, 0);

    EXPECT_EQ(ConvertParagraph("<p xml:lang=\"en\">Hi</p>"), "<P>Hi</P><CR/>");
    EXPECT_TRUE(cv.links.Anchors.empty());
}

}  // namespace
}  // namespace tavorin::fb2::test

namespace tavorin::fb2::test {
namespace {

// The way back from a note leads to the block that holds the link, on its
// page: also when the link ends a chapter (the next blocks made are the new
// page's running footers) and when that block is named by a section id.
TEST_F(BodyTest, ReturnButtonsLandOnTheBlockOfTheLink) {
    StartPage(cv.cursor, store, cv.styles);
    cv.cursor.FirstTitlePending = false;
    cv.cursor.PageCounter = 4;  // past the title pages
    ConvertBodies("<body><section><title><p>One</p></title><p>Go <a l:href=\"#n1\">1</a></p></section>"
                  "<section id=\"s2\"><title><p>Two</p></title></section>"
                  "<section><title><p>Three</p></title><p>Back <a l:href=\"#n2\">2</a></p></section>"
                  "<section id=\"s4\"><p>Again <a l:href=\"#n3\">3</a></p></section></body>");
    ResolveAnchors(cv.links, store, console);
    std::vector<std::pair<std::string, std::string>> returns;
    for (size_t i = 0; i < cv.store.buttons.size(); ++i) {
        const lrf::ButtonRecord& button = cv.store.buttons[i];
        if (!button.objid.starts_with("br#") || button.block == lrf::kNoRecord) continue;
        returns.emplace_back("p" + std::to_string(cv.store.blocks[button.block].pageIndex), Target(i));
    }
    const auto blocks = TextBlocks();
    const auto holding = [&](const std::string& word) {
        for (const auto& block : blocks) {
            if (block.text.find(word) != std::string::npos) return block.name;
        }
        return std::string();
    };
    ASSERT_EQ(returns.size(), 3u);
    // Pages by their place in the store: the first title's page is page 1.
    EXPECT_EQ(returns[0], std::make_pair(std::string("p1"), holding("Go ")));
    EXPECT_EQ(returns[1], std::make_pair(std::string("p3"), holding("Back ")));
    EXPECT_EQ(returns[2], std::make_pair(std::string("p3"), std::string("b#s4")));
    EXPECT_EQ(holding("Again "), "b#s4");
}

}  // namespace
}  // namespace tavorin::fb2::test
