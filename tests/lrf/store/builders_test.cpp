// Builders: records and their page children, block spaces, image and header
// tags, the fill colour of headers and footers.
#include <gtest/gtest.h>

#include <vector>

#include "lrf/store/builders.h"
#include "lrf/store_fixture.h"

namespace tavorin::lrf {
namespace {

using Bytes = std::vector<uint8_t>;
using test::BodyText;
using test::Page;
using test::Paragraph;

class Builders : public test::StoreTest {
protected:
    Bytes TagsOf(const Range& range) {
        return Bytes(store.tagStore.begin() + range.start, store.tagStore.begin() + range.end);
    }
    ImagePlacement Image() { return {0, 0, 0, 0, 10, 20, 10, 20}; }
};

TEST_F(Builders, BlocksArePairedWithTheirChildAndListedOnTheLastPage) {
    PageRecord first = Page();
    first.oddHeader = 0;
    BuildPage(store, first);
    BuildTextBlock(store, BodyText(), Paragraph(u"Hello"));
    BuildBlockSpace(store, 5, -1);
    BuildPage(store, Page());
    BuildPage(store, Page());
    const TagValue blockTags[] = {{Tag::kBlockWidth, 10}, {Tag::kBgImageMode, kBgImageFix}};
    BuildImageBlock(store, console, Image(), blockTags);
    BuildTextBlock(store, BodyText(), Paragraph(u"x"));

    const ObjectStore& s = store;
    ASSERT_EQ(s.pages.size(), 3u);
    EXPECT_EQ(s.pages[0].oddHeader, 0u);
    EXPECT_EQ(s.pageContentList, (std::vector<uint32_t>{0, kInlineObjectFlag | 0, 1, 2}));
    EXPECT_EQ(s.pages[0].content.end, 2u);
    EXPECT_EQ(s.pages[1].content.start, s.pages[1].content.end);  // a page without children
    EXPECT_EQ(s.pages[2].content.start, 2u);
    EXPECT_EQ(s.pages[2].content.end, 4u);

    ASSERT_EQ(s.blocks.size(), 3u);
    EXPECT_EQ(s.blocks[1].childKind, kKindImageBlock);
    EXPECT_EQ(s.blocks[1].child, 0u);
    // The "fix" background mode of a block is written as mode 1.
    EXPECT_EQ(TagsOf(s.blocks[1].tags), (Bytes{0x31, 0xF5, 10, 0, 0x29, 0xF5, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(TagsOf(s.imageBlocks[0].tags), (Bytes{0x4A, 0xF5, 0, 0, 0, 0, 10, 0, 20, 0, 0x4B, 0xF5, 10, 0, 20, 0}));
    EXPECT_EQ(s.blocks[2].childKind, kKindTextBlock);
    EXPECT_EQ(s.blocks[2].child, 1u);
    EXPECT_EQ(s.blocks[2].pageIndex, 2);
    // The content's operations and characters are in the store's streams.
    const Range ops = s.textBlocks[0].ops;
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(s.textOps[ops.start].code, TextCode::kParagraph);
    EXPECT_EQ(s.textOps[ops.start + 2].code, TextCode::kParagraphEnd);
    const TextOperation& text = s.textOps[ops.start + 1];
    EXPECT_EQ(s.textStore.substr(text.start, text.end - text.start), u"Hello");
    EXPECT_TRUE(s.hasLastPageBlock);
    EXPECT_EQ(s.lastPageBlockKind, kKindTextBlock);
    EXPECT_EQ(s.lastPageBlockNumber, 1u);
    EXPECT_TRUE(s.freeBlockList.empty());
}

TEST_F(Builders, BlocksOutsideTheMainFlowGoToTheFreeList) {
    BuildPage(store, Page());
    BuildTextBlock(store, BodyText(), Paragraph(u"x"), BlockFlow::kFree);
    EXPECT_EQ(store.freeBlockList, std::vector<uint32_t>{0});
    EXPECT_TRUE(store.pageContentList.empty());
    EXPECT_FALSE(store.hasLastPageBlock);
}

TEST_F(Builders, BlockBeforeAnyPageBelongsToNoPage) {
    BuildTextBlock(store, BodyText(), Paragraph(u"x"));
    EXPECT_EQ(store.blocks[0].pageIndex, -1);
    EXPECT_TRUE(store.pageContentList.empty());
    EXPECT_FALSE(store.hasLastPageBlock);
}

TEST_F(Builders, SoloModeListsThePageOfEveryBlock) {
    BuildPage(store, Page());
    BuildTextBlock(store, BodyText(), Paragraph(u"x"));
    StartSolo(store);
    BuildPage(store, Page());
    BuildTextBlock(store, BodyText(), Paragraph(u"x"), BlockFlow::kFree);  // solo blocks are page children even so
    BuildPage(store, Page());
    BuildTextBlock(store, BodyText(), Paragraph(u"x"));
    BuildTextBlock(store, BodyText(), Paragraph(u"x"));
    EndSolo(store);

    const ObjectStore& s = store;
    EXPECT_FALSE(s.soloMode);
    EXPECT_EQ(s.soloPageStart, 1u);
    EXPECT_EQ(s.soloPageList, (std::vector<uint32_t>{1, 2, 2}));
    EXPECT_EQ(s.pages[2].content.size(), 2u);
    EXPECT_TRUE(s.freeBlockList.empty());
    EXPECT_EQ(s.lastPageBlockNumber, 0u);  // the credit marker stays on the main flow
}

TEST_F(Builders, BlockSpacesWriteTheSpacesThatAreSet) {
    const std::pair<std::pair<int, int>, Bytes> cases[] = {
        {{-5, 20}, {0x46, 0xF5, 0x14, 0x00}},
        {{3, -1}, {0x47, 0xF5, 0x03, 0x00}},
        {{0, 1}, {0x47, 0xF5, 0, 0, 0x46, 0xF5, 1, 0}},
        {{-1, -1}, {}},  // no record and no page child
    };
    for (const auto& [spaces, tags] : cases) {
        store = ObjectStore{};
        BuildPage(store, Page());
        BuildBlockSpace(store, spaces.first, spaces.second);
        ASSERT_EQ(store.inlines.size(), tags.empty() ? 0u : 1u) << spaces.first;
        EXPECT_EQ(store.pageContentList.size(), store.inlines.size());
        if (!tags.empty()) {
            EXPECT_EQ(TagsOf(store.inlines[0].tags), tags);
        }
    }
}

TEST_F(Builders, HeadersAndFootersAreFilledBlackUnlessTheyNameAColour) {
    HeaderFooterRecord record;
    const TagValue frame[] = {{Tag::kFrameMode, kFrameModeSquare}, {Tag::kFrameColor, 0}};
    BuildHeaderFooter(store, console, kKindHeader, record, frame);
    const TagValue white[] = {{Tag::kBgColor, 0x00ffffff}};
    BuildHeaderFooter(store, console, kKindFooter, record, white);

    ASSERT_EQ(store.headers.size(), 1u);
    EXPECT_EQ(TagsOf(store.headers[0].tags),
              (Bytes{0x2E, 0xF5, 1, 0, 0x37, 0xF5, 0, 0, 0, 0, 0x34, 0xF5, 0xFF, 0, 0, 0}));
    ASSERT_EQ(store.footers.size(), 1u);
    EXPECT_EQ(TagsOf(store.footers[0].tags), (Bytes{0x34, 0xF5, 0x00, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace tavorin::lrf
