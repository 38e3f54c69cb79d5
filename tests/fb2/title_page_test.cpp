// Tests of the pages made from the description: the book title page with the
// annotation page, and the description page with its pair of buttons.
#include "support/content_notation.h"
#include <gtest/gtest.h>

#include "fb2/block_emitter.h"
#include "fb2/body.h"
#include "body_fixture.h"
#include "fb2/description.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "fb2/title_page.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

class TitlePageTest : public test::ConversionTest {
protected:
    void SetUp() override {
        DefineBookStyles();
        cv.description.AuthorsLine = u"Ivan Petrov";
        cv.description.BookTitle = u"Night Watch";
    }
    std::string BlockText(const lrf::TextBlockRecord& block) const {
        return tavorin::test::BlockNotation(cv.store, static_cast<size_t>(&block - cv.store.textBlocks.data()));
    }
};

TEST_F(TitlePageTest, TitlePageHoldsAuthorsTitleAndSeriesThenTheAnnotationPage) {
    cv.description.SequenceText = u"Watches 1";
    cv.description.Annotation = test::Markup(u"<P>About.</P><CR/>");
    EmitBlock(cv, BlockKind::kBookTitle, {});

    ASSERT_EQ(store.pages.size(), 2u);  // the title page and the page after the annotation
    ASSERT_EQ(store.textBlocks.size(), 2u);
    EXPECT_EQ(store.textStyles[store.textBlocks[0].textStyle].styleLabel, "ts_bdtit");
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<P>Ivan Petrov</P><CR/><CR/>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"128\"><P>Night Watch</P><CR/></Span>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"112\"><P>(Watches 1)</P></Span>");
    EXPECT_EQ(store.textStyles[store.textBlocks[1].textStyle].styleLabel, "ts_annot");
    EXPECT_EQ(BlockText(store.textBlocks[1]), "<P><P>About.</P><CR/></P>");
    EXPECT_EQ(cv.cursor.PageCounter, 2);
    EXPECT_EQ(store.blocks.size(), 2u);
}

TEST_F(TitlePageTest, WithoutAnnotationANewPageFollowsAndBoldStyleWraps) {
    Style(settings, StyleKind::kBookTitle).IsBold = 1;
    EmitBlock(cv, BlockKind::kBookTitle, {});
    ASSERT_EQ(store.textBlocks.size(), 1u);
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<Bold><P>Ivan Petrov</P><CR/><CR/>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"128\"><P>Night Watch</P><CR/></Span></Bold>");
    EXPECT_EQ(store.pages.size(), 2u);
}

TEST_F(TitlePageTest, TitlePageWithNothingToShowIsLeftOut) {
    cv.description.AuthorsLine = u" ";
    cv.description.BookTitle = u"<Sup> </Sup>";
    EmitBlock(cv, BlockKind::kBookTitle, {});
    EXPECT_TRUE(store.textBlocks.empty());
    EXPECT_EQ(store.pages.size(), 1u) << "only the page the body starts on";

    StartOver();
    DefineBookStyles();
    cv.description.Annotation = test::Markup(u"<P>About.</P>");
    EmitBlock(cv, BlockKind::kBookTitle, {});
    ASSERT_EQ(store.textBlocks.size(), 1u);
    EXPECT_EQ(store.textStyles[store.textBlocks[0].textStyle].styleLabel, "ts_annot") << "the annotation page comes first";
    EXPECT_EQ(store.pages.size(), 2u);
}

TEST_F(TitlePageTest, DescriptionPageIsASoloPageBehindAButton) {
    StartPage(cv.cursor, store, cv.styles);  // the last page of the body
    cv.description.DescriptionPage = test::Markup(u"<P></P>");  // the document pass's wrap of an empty page
    EmitDescriptionPage(cv);
    EXPECT_TRUE(store.textBlocks.empty());

    cv.description.DescriptionPage = test::Markup(u"<P></P><CR/><P><Bold>Title: </Bold>Night Watch</P>");
    EmitDescriptionPage(cv);

    ASSERT_EQ(store.textBlocks.size(), 2u);
    EXPECT_EQ(store.textStyles[store.textBlocks[0].textStyle].styleLabel, "ts_annot");
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<P><CR/><CR/><Space xsize=\"500\"/><Span fontsize=\"72\" parindent=\"0\">"
              "<CharButton refobj=\"bf_fb2description\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">"
              "***FB2 BOOK INFO***</EmpLine></CharButton></Span></P>");
    const std::string page = BlockText(store.textBlocks[1]);
    EXPECT_EQ(page.find("<P></P><CR/><P><Bold>Title: </Bold>Night Watch</P><P><CR/><CR/>"), 0u) << page;
    EXPECT_NE(page.find("<CharButton refobj=\"br_fb2description\">"), std::string::npos);
    EXPECT_NE(page.find(">RETURN TO BOOK</EmpLine>"), std::string::npos);

    // The way there leads to the page's block, the way back to the link's.
    ASSERT_EQ(store.buttons.size(), 2u);
    EXPECT_EQ(store.buttons[0].objid, "bf_fb2description");
    EXPECT_EQ(store.buttons[0].block, 1u);
    EXPECT_EQ(store.buttons[1].objid, "br_fb2description");
    EXPECT_EQ(store.buttons[1].block, 0u);

    EXPECT_EQ(store.pages.size(), 2u);
    EXPECT_FALSE(store.soloMode);
    EXPECT_FALSE(store.soloPageList.empty());
}

}  // namespace
}  // namespace tavorin::fb2
