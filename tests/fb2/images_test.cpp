// Tests of the cover page and body images: placement arithmetic, the image
// block and its objid, and when the front page is made.
#include "fb2/images.h"

#include <string>

#include <gtest/gtest.h>

#include "app/run_state.h"
#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

using lrf::g_store;

class Images : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRunState();
        ResetFb2State();
        g_settings = BuiltInSettings();
        g_settings.PageLayout.Top = g_settings.PageLayout.Left = 0;
        g_settings.PageLayout.Right = g_settings.PageLayout.Bottom = 0;
    }

    static void RegisterImage(const WString& id, int width, int height) {
        const uint8_t bytes[] = {1, 2, 3};
        lrf::BuildImageStream(lrf::g_store, bytes, u" width=\"" + ToWString(width) + u"\" height=\"" + ToWString(height) + u"\"",
                              u" objid=\"" + id + u"\" encoding=\"PNG\"");
    }

    struct Placement {
        WString attributes;
        int x = 0, y = 0;
    };
    static Placement Place(const WString& ref) {
        g_conv.ImageRef = ref;
        Placement p;
        p.attributes = ImageBlockAttributes(p.x, p.y);
        return p;
    }
};

TEST_F(Images, CoverFillsTheScreenWhenAdjusted) {
    RegisterImage(u"cover", 600, 800);
    g_description.CoverImageId = u"cover";
    g_conv.PageCounter = 1;

    Placement p = Place(u"cover");
    EXPECT_EQ(p.attributes,
              u" x0=\"600\" y0=\"800\" x1=\"0\" y1=\"0\" xsize=\"566\" ysize=\"754\" blockwidth=\"566\" "
              u"blockheight=\"754\" topskip=\"0\" sidemargin=\"0\"");
    EXPECT_EQ(p.x, 9);
    EXPECT_EQ(p.y, 0);

    g_settings.General.CoverImageAdjust = 0;
    p = Place(u"cover");
    EXPECT_EQ(p.attributes,
              u" x0=\"0\" y0=\"0\" x1=\"600\" y1=\"800\" xsize=\"600\" ysize=\"800\" blockwidth=\"600\" "
              u"blockheight=\"800\" topskip=\"0\" sidemargin=\"0\"");
    EXPECT_EQ(p.x, -8);
    EXPECT_EQ(p.y, -23);

    // A wide cover is fitted to the width and centred vertically.
    g_settings.General.CoverImageAdjust = 1;
    RegisterImage(u"wide", 1200, 600);
    g_description.CoverImageId = u"wide";
    p = Place(u"wide");
    EXPECT_NE(p.attributes.find(u"xsize=\"584\" ysize=\"292\""), WString::npos);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 231);
}

TEST_F(Images, BodyImageIsCentredAcrossThePage) {
    RegisterImage(u"pic", 300, 200);
    g_conv.PageCounter = 5;
    Placement p = Place(u"pic");
    EXPECT_EQ(p.attributes,
              u" x0=\"0\" y0=\"0\" x1=\"300\" y1=\"200\" xsize=\"300\" ysize=\"200\" blockwidth=\"300\" "
              u"blockheight=\"200\" topskip=\"0\" sidemargin=\"0\"");
    EXPECT_EQ(p.x, 142);
    EXPECT_EQ(p.y, 0);

    g_settings.PageLayout.Left = 10;
    g_settings.PageLayout.Right = 21;
    EXPECT_EQ(Place(u"pic").x, 126);  // 126.5 rounds to even

    p = Place(u"absent");
    EXPECT_TRUE(p.attributes.empty());
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, -1);
}

TEST_F(Images, ImageInASectionWithAnIdIsNamedByTheId) {
    RegisterImage(u"pic", 300, 200);
    lrf::BuildPage(lrf::g_store, RunConsole(), u"pagestyle=\"ps_gen\" objid=\"p0\"");
    g_conv.PageCounter = 1;
    g_conv.BlockCounter = 7;
    RegisterButton(u" objid=\"bf_sec1\"");
    RegisterButton(u" objid=\"br_sec1\" refpage=\"p0\" refobj=\"b1\"");

    g_conv.ImageRef = u"pic";
    g_conv.PendingId = u"sec1";
    WString text = u"aaaaaaaaaaaaa";
    ResolvePendingTarget(text);
    EmitImageBlock();

    ASSERT_EQ(g_store.imageBlocks.size(), 1u);
    EXPECT_EQ(g_store.imageBlocks[0].objid, "sec1");
    EXPECT_EQ(g_store.imageBlocks[0].refStream, "pic");
    ASSERT_EQ(g_store.blocks.size(), 1u);
    EXPECT_EQ(g_store.blocks[0].objid, "sec1");
    EXPECT_EQ(g_store.blocks[0].blockStyle, "bs_image");
    EXPECT_EQ(g_store.inlines.size(), 1u);  // the block space of the centring
    EXPECT_EQ(g_store.buttons[0].refObj, "sec1");  // the link lands on the image block
    EXPECT_TRUE(g_conv.PendingId.empty());
    EXPECT_EQ(g_conv.BlockCounter, 8);

    // Without an id the block is named by its number, again without "b".
    EmitImageBlock();
    EXPECT_EQ(g_store.imageBlocks[1].objid, "8");

    // An unknown image makes nothing and keeps the id for the next block.
    g_conv.ImageRef = u"absent";
    g_conv.PendingId = u"keep";
    EmitImageBlock();
    EXPECT_EQ(g_store.imageBlocks.size(), 2u);
    EXPECT_EQ(g_conv.PendingId, u"keep");
}

TEST_F(Images, FrontPageNeedsACoverIdAndSomeImage) {
    g_description.CoverImageId = u"cover";
    EmitCover();
    EXPECT_TRUE(g_store.pages.empty()) << "a book without images";

    RegisterImage(u"other", 10, 10);
    g_description.CoverImageId = u"missing";
    EmitCover();
    EXPECT_EQ(g_store.pages.size(), 1u);
    EXPECT_TRUE(g_store.imageBlocks.empty());

    ResetFb2State();
    RegisterImage(u"cover", 600, 800);
    g_description.CoverImageId = u"cover";
    EmitCover();
    ASSERT_EQ(g_store.pages.size(), 1u);
    EXPECT_EQ(g_store.pages[0].pageStyle, "ps_front");
    ASSERT_EQ(g_store.imageBlocks.size(), 1u);
    EXPECT_EQ(g_store.imageBlocks[0].refStream, "cover");
}

TEST_F(Images, ImageReferenceByEitherHrefSpelling) {
    RegisterImage(u"pic", 300, 200);
    lrf::BuildPage(lrf::g_store, RunConsole(), u"pagestyle=\"ps_gen\" objid=\"p0\"");
    g_conv.PageCounter = 1;
    PlaceImage(u"<image l:href=\"#pic\"/>");
    PlaceImage(u"<image xlink:href=\"#pic\"/>");
    PlaceImage(u"<image alt=\"none\"/>");
    EXPECT_EQ(g_conv.ImageRef, u"");
    ASSERT_EQ(g_store.imageBlocks.size(), 2u);
    EXPECT_EQ(g_store.imageBlocks[1].refStream, "pic");
}

}  // namespace
}  // namespace tavorin::fb2
