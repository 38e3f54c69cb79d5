// Tests of the cover page and body images: placement arithmetic, the image
// block and its objid, and when the front page is made.
#include "fb2/images.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "body_fixture.h"
#include "fb2/description.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

class Images : public test::ConversionTest {
protected:
    void SetUp() override {
        settings.PageLayout.Top = settings.PageLayout.Left = 0;
        settings.PageLayout.Right = settings.PageLayout.Bottom = 0;
        DefineBookStyles();
    }

    void RegisterImage(const WString& id, int width, int height) {
        const uint8_t bytes[] = {1, 2, 3};
        lrf::BuildImageStream(cv.store, {.objid = Narrow(id), .width = width, .height = height, .data = {}}, bytes);
    }

    struct Placement {
        std::vector<int64_t> shown;  // x0, y0, x1, y1, width, height; empty without an image
        int x = 0, y = 0;
    };
    Placement Place(const WString& ref) {
        Placement p;
        const auto image = ImageBlockPlacement(cv.images, store, settings, cv.cursor, ref, cv.description.CoverImageId,
                                               p.x, p.y);
        if (image) p.shown = {image->x0, image->y0, image->x1, image->y1, image->width, image->height};
        return p;
    }
};

TEST_F(Images, CoverFillsTheScreenWhenAdjusted) {
    RegisterImage(u"cover", 600, 800);
    cv.description.CoverImageId = u"cover";
    cv.cursor.PageCounter = 1;

    Placement p = Place(u"cover");
    EXPECT_EQ(p.shown, (std::vector<int64_t>{600, 800, 0, 0, 566, 754}));
    EXPECT_EQ(p.x, 9);
    EXPECT_EQ(p.y, 0);

    settings.General.CoverImageAdjust = 0;
    p = Place(u"cover");
    EXPECT_EQ(p.shown, (std::vector<int64_t>{0, 0, 600, 800, 600, 800}));
    EXPECT_EQ(p.x, -8);
    EXPECT_EQ(p.y, -23);

    // A wide cover is fitted to the width and centred vertically.
    settings.General.CoverImageAdjust = 1;
    RegisterImage(u"wide", 1200, 600);
    cv.description.CoverImageId = u"wide";
    p = Place(u"wide");
    EXPECT_EQ(p.shown, (std::vector<int64_t>{600, 800, 0, 0, 584, 292}));
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 231);
}

TEST_F(Images, BodyImageIsCentredAcrossThePage) {
    RegisterImage(u"pic", 300, 200);
    cv.cursor.PageCounter = 5;
    Placement p = Place(u"pic");
    EXPECT_EQ(p.shown, (std::vector<int64_t>{0, 0, 300, 200, 300, 200}));
    EXPECT_EQ(p.x, 142);
    EXPECT_EQ(p.y, 0);

    settings.PageLayout.Left = 10;
    settings.PageLayout.Right = 21;
    EXPECT_EQ(Place(u"pic").x, 126);  // 126.5 rounds to even

    p = Place(u"absent");
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, -1);
}

TEST_F(Images, ImageInASectionWithAnIdIsNamedByTheId) {
    RegisterImage(u"pic", 300, 200);
    StartPage(cv.cursor, store, cv.styles);
    RegisterButton(cv.links, store, "bf#sec1");
    RegisterButton(cv.links, store, "br#sec1");

    cv.links.PendingTarget = u"sec1";
    PlaceImage(cv, u"<image l:href=\"#pic\"/>");

    ASSERT_EQ(cv.store.imageBlocks.size(), 1u);
    EXPECT_EQ(cv.store.imageStreams[cv.store.imageBlocks[0].stream].objid, "pic");
    ASSERT_EQ(cv.store.blocks.size(), 1u);
    EXPECT_EQ(BlockName(0), "b#sec1");
    EXPECT_EQ(cv.store.blockStyles[cv.store.blocks[0].blockStyle].styleLabel, "bs_image");
    EXPECT_EQ(cv.store.inlines.size(), 1u);  // the block space of the centring
    EXPECT_EQ(Aim(0), "b#sec1");  // the link lands on the image block
    EXPECT_TRUE(cv.links.PendingTarget.empty());

    // Without an id the block is named by its number alone.
    EmitImageBlock(cv, u"pic");
    EXPECT_EQ(BlockName(1), "b1");

    // An unknown image makes nothing and keeps the id for the next block.
    cv.links.PendingTarget = u"keep";
    EmitImageBlock(cv, u"absent");
    EXPECT_EQ(cv.store.imageBlocks.size(), 2u);
    EXPECT_EQ(cv.links.PendingTarget, u"keep");
}

TEST_F(Images, FrontPageNeedsTheCoverImage) {
    cv.description.CoverImageId = u"cover";
    EmitCover(cv);
    EXPECT_TRUE(cv.store.pages.empty()) << "a book without images";

    // A cover naming no image of the book makes no (empty) front page.
    RegisterImage(u"other", 10, 10);
    cv.description.CoverImageId = u"missing";
    EmitCover(cv);
    EXPECT_TRUE(cv.store.pages.empty());
    EXPECT_TRUE(cv.store.imageBlocks.empty());
    EXPECT_NE(printed.text().find("\nError: The cover names no image of the book: missing"), std::string::npos);

    StartOver();
    RegisterImage(u"cover", 600, 800);
    cv.description.CoverImageId = u"cover";
    EmitCover(cv);
    ASSERT_EQ(cv.store.pages.size(), 1u);
    EXPECT_EQ(cv.store.pageStyles[cv.store.pages[0].pageStyle].styleLabel, "ps_front");
    ASSERT_EQ(cv.store.imageBlocks.size(), 1u);
    EXPECT_EQ(cv.store.imageStreams[cv.store.imageBlocks[0].stream].objid, "cover");
}

TEST_F(Images, ImageReferenceByEitherHrefSpelling) {
    RegisterImage(u"pic", 300, 200);
    StartPage(cv.cursor, store, cv.styles);
    PlaceImage(cv, u"<image l:href=\"#pic\"/>");
    PlaceImage(cv, u"<image xlink:href=\"#pic\"/>");
    PlaceImage(cv, u"<image alt=\"none\"/>");
    ASSERT_EQ(cv.store.imageBlocks.size(), 2u);
    EXPECT_EQ(cv.store.imageStreams[cv.store.imageBlocks[1].stream].objid, "pic");
}

}  // namespace
}  // namespace tavorin::fb2
