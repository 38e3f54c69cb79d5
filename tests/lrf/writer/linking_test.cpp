// Object ids and label resolution.
#include <gtest/gtest.h>

#include "lrf/writer/page_writers.h"
#include "writer_test_util.h"

namespace tavorin::lrf::test {
namespace {

class Linking : public WriterTest {
protected:
    void AddPage(int, uint32_t style = kMainPageStyle) { BuildPage(store, Page(style)); }
};
using AssignObjectIdsTest = Linking;
using LinkObjectsTest = Linking;

TEST_F(AssignObjectIdsTest, MandatoryObjectsFollowThePages) {
    StartBook();
    for (int i = 0; i < 3; ++i) AddPage(i);
    BuildTestStyles();
    AssignObjectIds(store);
    EXPECT_EQ(store.pages[2].id, 52u);
    EXPECT_EQ(store.tocId, 53u);
    EXPECT_EQ(store.mainPageTreeId, 54u);
    EXPECT_EQ(store.rootId, 55u);
    EXPECT_EQ(store.pageStyles[0].id, 56u);  // the next kind starts right after the root
}

// One page-tree id is reserved per solo page, however many blocks it holds.
TEST_F(AssignObjectIdsTest, ReservesOneTreePerSoloPage) {
    struct Example {
        std::vector<int> blocksPerSoloPage;
        uint32_t root;
    };
    for (const Example& e : {Example{{1}, 56}, Example{{2}, 56}, Example{{3, 1}, 58}}) {
        StartBook();
        BuildTestStyles();
        AddPage(0);
        AddPage(1);
        AddTextBlock(Paragraph(u"x"));
        StartSolo(store);
        for (size_t p = 0; p < e.blocksPerSoloPage.size(); ++p) {
            AddPage(static_cast<int>(2 + p));
            for (int b = 0; b < e.blocksPerSoloPage[p]; ++b) AddTextBlock(Paragraph(u"x"));
        }
        EndSolo(store);
        AssignObjectIds(store);
        EXPECT_EQ(store.tocId, 52u + static_cast<uint32_t>(e.blocksPerSoloPage.size()));
        EXPECT_EQ(store.rootId, e.root);
        EXPECT_EQ(SoloPageCount(store), e.blocksPerSoloPage.size());
    }
}

TEST_F(AssignObjectIdsTest, IdsPastSixteenBits) {
    StartBook();
    store.textStyles.resize(70000);
    AssignObjectIds(store);
    EXPECT_EQ(store.textStyles.front().id, 53u);
    EXPECT_EQ(store.textStyles.back().id, 70052u);
    EXPECT_EQ(store.lastId, 70052u);
}

TEST_F(LinkObjectsTest, ReferenceToNoRecordIsReported) {
    StartBook();
    BuildStyle(store, console, kKindPageStyle, "ps_main", {});
    BuildStyle(store, console, kKindPageStyle, "ps_main", {});
    AddPage(0, 0);
    AddPage(1, 2);
    AssignObjectIds(store);
    LinkObjects(store, console);
    EXPECT_EQ(store.pages[0].pageStyleId, store.pageStyles[0].id);
    EXPECT_EQ(store.pages[1].pageStyleId, 0u);
    EXPECT_EQ(printed.text(), "\nError: Page style not found\n");
}

// An unresolved reference leaves only itself at 0; every later one resolves.
TEST_F(LinkObjectsTest, GoesOnAfterAnUnresolvedReference) {
    StartBook();
    BuildTestStyles();
    AddPage(0);
    AddPage(1, kNoRecord);
    AddTextBlock(Paragraph(u"x"));
    BuildImageBlock(store, console, {kNoRecord, 0, 0, 0, 1, 1, 1, 1}, {});
    BuildImageStream(store, {.imageType = kImageTypeJpeg, .objid = "img", .width = 1, .height = 1, .data = {}},
                     std::vector<uint8_t>{0xFF, 0xD8});
    BuildTocEntry(store, 9, 9, u"Lost");
    BuildTocEntry(store, 1, 0, u"Found");
    BuildButton(store, {.objid = "bf_1", .block = 0});
    const uint32_t header = BuildTextBlock(store, BodyText(), Paragraph(u"header"), BlockFlow::kFree);
    AddHeaderFooter(kKindHeader, header, 0);
    AddHeaderFooter(kKindFooter, 0, 0);  // block 0 is on a page

    AssignObjectIds(store);
    LinkObjects(store, console);
    const ObjectStore& s = store;
    EXPECT_EQ(printed.text(),
              "\nError: Page style not found\n\nError: TOC block not found\n\nError: TOC page not found\n"
              "\nError: Block style not foundError\n");
    EXPECT_NE(s.pages[0].pageStyleId, 0u);
    EXPECT_EQ(s.pages[1].pageStyleId, 0u);
    EXPECT_EQ(s.tocEntries[0].blockId, 0u);
    EXPECT_EQ(s.tocEntries[0].pageId, 0u);
    EXPECT_EQ(s.tocEntries[1].blockId, s.blocks[0].id);
    EXPECT_EQ(s.tocEntries[1].pageId, s.pages[1].id);
    EXPECT_EQ(s.blocks[0].blockStyleId, s.blockStyles[0].id);
    EXPECT_EQ(s.blocks[1].blockStyleId, 0u);
    EXPECT_EQ(s.textBlocks[0].textStyleId, s.textStyles[0].id);
    EXPECT_EQ(s.imageBlocks[0].imageStreamId, s.imageStreams[0].id);
    EXPECT_EQ(s.buttons[0].blockId, s.blocks[0].id);
    EXPECT_EQ(s.buttons[0].pageId, s.pages[1].id);  // the page the block was placed on
    EXPECT_EQ(s.headers[0].blockId, s.blocks[2].id);
    EXPECT_EQ(s.headers[0].blockNumber, 2u);
    EXPECT_EQ(s.footers[0].blockId, 0u);  // only blocks outside the page flow can be shown
}

}  // namespace
}  // namespace tavorin::lrf::test
