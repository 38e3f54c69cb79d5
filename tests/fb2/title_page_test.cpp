// Tests of the pages made from the description: the book title page with the
// annotation page, and the description page with its pair of buttons.
#include <gtest/gtest.h>

#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

std::string BlockText(const lrf::TextBlockRecord& block) {
    return Narrow(WStringView(lrf::g_store.textStore).substr(block.text.start, block.text.size()));
}

class TitlePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFb2State();
        g_settings = BuiltInSettings();
        DefineStyles();
        g_description.AuthorsLine = u"Ivan Petrov";
        g_description.BookTitle = u"Night Watch";
    }
    const lrf::ObjectStore& store = lrf::g_store;
};

TEST_F(TitlePageTest, TitlePageHoldsAuthorsTitleAndSeriesThenTheAnnotationPage) {
    g_description.SequenceText = u"Watches 1";
    g_description.Annotation = u"<P>About.</P><CR/>";
    EmitBlock(kBlockBookTitle, u"aaaaaaaaaaaaa");

    ASSERT_EQ(store.pages.size(), 2u);  // the title page and the page after the annotation
    ASSERT_EQ(store.textBlocks.size(), 2u);
    EXPECT_EQ(store.textBlocks[0].objid, "b0");
    EXPECT_EQ(store.textBlocks[0].textStyle, "ts_bdtit");
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<P>Ivan Petrov</P><CR/><CR/>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"128\"><P>Night Watch</P><CR/></Span>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"112\"><P>(Watches 1)</P></Span>");
    EXPECT_EQ(store.textBlocks[1].objid, "b1");
    EXPECT_EQ(store.textBlocks[1].textStyle, "ts_annot");
    EXPECT_EQ(BlockText(store.textBlocks[1]), "<P><P>About.</P><CR/></P>");
    EXPECT_EQ(g_conv.PageCounter, 2);
    EXPECT_EQ(g_conv.BlockCounter, 2);
}

TEST_F(TitlePageTest, WithoutAnnotationANewPageFollowsAndBoldStyleWraps) {
    g_settings.StyleTable[kStyleBookTitle].IsBold = 1;
    EmitBlock(kBlockBookTitle, u"aaaaaaaaaaaaa");
    ASSERT_EQ(store.textBlocks.size(), 1u);
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<Bold><P>Ivan Petrov</P><CR/><CR/>"
              "<Span fontfacename=\"Swis721 BT Roman\" fontsize=\"128\"><P>Night Watch</P><CR/></Span></Bold>");
    EXPECT_EQ(store.pages.size(), 2u);
}

TEST_F(TitlePageTest, DescriptionPageIsASoloPageBehindAButton) {
    StartPage(u"");  // the last page of the body
    g_conv.BlockCounter = 7;
    g_description.DescriptionPage = u"<P></P>";  // the driver's wrap of an empty page
    EmitDescriptionPage();
    EXPECT_TRUE(store.textBlocks.empty());

    g_description.DescriptionPage = u"<P></P><CR/><P><Bold>Title: </Bold>Night Watch</P>";
    EmitDescriptionPage();

    ASSERT_EQ(store.textBlocks.size(), 2u);
    EXPECT_EQ(store.textBlocks[0].objid, "b_fb2link");
    EXPECT_EQ(store.textBlocks[0].textStyle, "ts_annot");
    EXPECT_EQ(BlockText(store.textBlocks[0]),
              "<P><CR/><CR/><Space xsize=\"500\"><Span fontsize=\"72\" parindent=\"0\">"
              "<CharButton refobj=\"bf_fb2description\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">"
              "***FB2 BOOK INFO***</EmpLine></CharButton></Span></P>");
    EXPECT_EQ(store.textBlocks[1].objid, "b_fb2description");
    const std::string page = BlockText(store.textBlocks[1]);
    EXPECT_EQ(page.find("<P></P><CR/><P><Bold>Title: </Bold>Night Watch</P><P><CR/><CR/>"), 0u) << page;
    EXPECT_NE(page.find("<CharButton refobj=\"br_fb2description\">"), std::string::npos);
    EXPECT_NE(page.find(">RETURN TO BOOK</EmpLine>"), std::string::npos);
    EXPECT_EQ(g_conv.BlockCounter, 9);

    ASSERT_EQ(store.buttons.size(), 2u);
    EXPECT_EQ(store.buttons[0].objid, "bf_fb2description");
    EXPECT_EQ(store.buttons[0].refObj, "b_fb2description");
    EXPECT_EQ(store.buttons[1].objid, "br_fb2description");
    EXPECT_EQ(store.buttons[1].refObj, "b_fb2link");

    EXPECT_EQ(store.pages.size(), 2u);
    EXPECT_FALSE(store.soloMode);
    EXPECT_FALSE(store.soloPageList.empty());
}

}  // namespace
}  // namespace tavorin::fb2
