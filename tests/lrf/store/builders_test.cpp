// Element builders: records, page children, inline and image tags, headers
// and footers, table-of-contents labels.
#include <gtest/gtest.h>

#include <vector>

#include "lrf/store/builders.h"
#include "lrf/store_fixture.h"

namespace tavorin::lrf {
namespace {

using Bytes = std::vector<uint8_t>;

class Builders : public test::StoreTest {
protected:
    Bytes TagsOf(const Range& range) {
        return Bytes(store.tagStore.begin() + range.start, store.tagStore.begin() + range.end);
    }

    WString TextOf(const Range& range) { return store.textStore.substr(range.start, range.size()); }

    void BuildTextPair(WStringView element, WStringView content = u"<P>x</P>") {
        BuildBlock(store, console, kKindTextBlock, element);
        BuildTextBlock(store, console, element, content);
    }
};
using BuildInlineTest = Builders;
using BuildImageBlockTest = Builders;
using BuildHeaderFooterTest = Builders;
using BuildTocEntryTest = Builders;

constexpr WStringView kBlock0 = u"<TextBlock blockstyle=\"bs_bdy\" objid=\"b0\" textstyle=\"ts_bdy\">";
constexpr WStringView kBlock1 = u"<TextBlock blockstyle=\"bs_bdy\" objid=\"b1\" textstyle=\"ts_bdy\">";
constexpr WStringView kImage = u"<ImageBlock objid=\"i0\" refstream=\"cover.jpg\" blockstyle=\"bs_image\" "
                               u"x0=\"0\" y0=\"0\" x1=\"10\" y1=\"20\" xsize=\"10\" ysize=\"20\"/>";

TEST_F(Builders, BlocksArePairedWithTheirChildAndListedOnTheLastPage) {
    BuildPage(store, console, u"<Page objid=\"p0\" pagestyle=\"ps_main\" oddheader=\"hdr_o0\">");
    BuildTextPair(kBlock0, u"<P>Hello</P>");
    BuildInline(store, u"<BlockSpace xspace=\"5\"/>");
    BuildPage(store, console, u"<Page objid=\"p1\" pagestyle=\"ps_main\">");
    BuildPage(store, console, u"<Page objid=\"p2\" pagestyle=\"ps_main\">");
    BuildBlock(store, console, kKindImageBlock, kImage);
    BuildImageBlock(store, kImage);
    BuildTextPair(kBlock1);

    const ObjectStore& s = store;
    ASSERT_EQ(s.pages.size(), 3u);
    EXPECT_EQ(s.pages[0].oddHeader, "hdr_o0");
    EXPECT_EQ(s.pageContentList, (std::vector<uint32_t>{0, kInlineObjectFlag | 0, 1, 2}));
    EXPECT_EQ(s.pages[0].content.start, 0u);
    EXPECT_EQ(s.pages[0].content.end, 2u);
    EXPECT_EQ(s.pages[1].content.start, s.pages[1].content.end);  // a page without children
    EXPECT_EQ(s.pages[2].content.start, 2u);
    EXPECT_EQ(s.pages[2].content.end, 4u);

    ASSERT_EQ(s.blocks.size(), 3u);
    EXPECT_EQ(s.blocks[1].childKind, kKindImageBlock);
    EXPECT_EQ(s.blocks[1].child, 0u);
    EXPECT_EQ(s.blocks[2].childKind, kKindTextBlock);
    EXPECT_EQ(s.blocks[2].child, 1u);
    EXPECT_EQ(s.blocks[2].pageIndex, 2);
    EXPECT_EQ(s.blocks[2].objid, s.textBlocks[1].objid);
    EXPECT_EQ(s.blocks[2].blockStyle, "bs_bdy");
    EXPECT_EQ(s.textBlocks[1].textStyle, "ts_bdy");
    EXPECT_EQ(TextOf(s.textBlocks[0].text), u"<P>Hello</P>");
    EXPECT_TRUE(s.hasLastPageBlock);
    EXPECT_EQ(s.lastPageBlockKind, kKindTextBlock);
    EXPECT_EQ(s.lastPageBlockNumber, 1u);
    EXPECT_TRUE(s.freeBlockList.empty());
}

TEST_F(Builders, BlocksOutsideTheMainFlowGoToTheFreeList) {
    BuildPage(store, console, u"<Page objid=\"p0\">");
    store.inMainFlow = false;
    BuildTextPair(kBlock0);
    BuildInline(store, u"<BlockSpace yspace=\"5\"/>");
    store.inMainFlow = true;
    EXPECT_EQ(store.freeBlockList, std::vector<uint32_t>{0});
    EXPECT_TRUE(store.pageContentList.empty());
    EXPECT_FALSE(store.hasLastPageBlock);
    EXPECT_EQ(store.inlines.size(), 1u);
}

TEST_F(Builders, BlockBeforeAnyPageBelongsToNoPage) {
    BuildTextPair(kBlock0);
    EXPECT_EQ(store.blocks[0].pageIndex, -1);
    EXPECT_TRUE(store.pageContentList.empty());
    EXPECT_FALSE(store.hasLastPageBlock);
}

TEST_F(Builders, SoloModeListsThePageOfEveryBlock) {
    BuildPage(store, console, u"<Page objid=\"p0\">");
    BuildTextPair(kBlock0);
    StartSolo(store);
    BuildPage(store, console, u"<Page objid=\"p1\">");
    store.inMainFlow = false;  // solo blocks are page children even so
    BuildTextPair(kBlock1);
    store.inMainFlow = true;
    BuildPage(store, console, u"<Page objid=\"p2\">");
    BuildTextPair(u"<TextBlock objid=\"b2\">");
    BuildTextPair(u"<TextBlock objid=\"b3\">");
    EndSolo(store);

    const ObjectStore& s = store;
    EXPECT_FALSE(s.soloMode);
    EXPECT_EQ(s.soloPageStart, 1u);
    EXPECT_EQ(s.soloPageList, (std::vector<uint32_t>{1, 2, 2}));
    EXPECT_EQ(s.pages[1].content.size(), 1u);
    EXPECT_EQ(s.pages[2].content.size(), 2u);
    EXPECT_TRUE(s.freeBlockList.empty());
    EXPECT_EQ(s.lastPageBlockNumber, 0u);  // the credit marker stays on the main flow
}

TEST_F(BuildInlineTest, BlockSpacesAndRuledLines) {
    struct Case {
        WStringView element;
        Bytes tags;  // empty: no record and no page child
    };
    const Case cases[] = {
        {u"<BlockSpace xspace=\"-5\" yspace=\"20\"/>", {0x46, 0xF5, 0x14, 0x00}},
        {u"<BlockSpace xspace=\"3\" yspace=\"x\"/>", {0x47, 0xF5, 0x03, 0x00}},
        {u"<BlockSpace/>", {}},
        {u"<RuledLine linelength=\"100\" linetype=\"dashed\" linewidth=\"2\" linecolor=\"0x00112233\"/>",
         {0x73, 0xF5, 0x64, 0x00, 0x20, 0x00, 0x02, 0x00, 0x00, 0x11, 0x22, 0x33}},
        {u"<RuledLine linetype=\"solid\"/>", {0x73, 0xF5, 0x00, 0x00, 0x10, 0x00, 0x01, 0x00, 0, 0, 0, 0}},
        {u"<RuledLine linelength=\"100\" linetype=\"wavy\" linewidth=\"2\"/>", {}},
    };
    for (const Case& c : cases) {
        store = ObjectStore{};
        BuildPage(store, console, u"<Page objid=\"p0\">");
        BuildInline(store, c.element);
        if (c.tags.empty()) {
            EXPECT_TRUE(store.inlines.empty()) << Narrow(c.element);
            EXPECT_TRUE(store.pageContentList.empty()) << Narrow(c.element);
        } else {
            ASSERT_EQ(store.inlines.size(), 1u) << Narrow(c.element);
            EXPECT_EQ(TagsOf(store.inlines[0].tags), c.tags) << Narrow(c.element);
            EXPECT_EQ(store.pageContentList, std::vector<uint32_t>{kInlineObjectFlag});
            EXPECT_EQ(store.pages[0].content.end, 1u);
        }
    }
}

TEST_F(BuildImageBlockTest, RectangleAndSizeTagsOnlyWhenComplete) {
    struct Case {
        WStringView element;
        Bytes tags;
    };
    const Case cases[] = {
        {kImage, {0x4A, 0xF5, 0, 0, 0, 0, 10, 0, 20, 0, 0x4B, 0xF5, 10, 0, 20, 0}},
        {u"<ImageBlock x0=\"0\" y0=\"0\" x1=\"10\" xsize=\"0\" ysize=\"0\"/>", {0x4B, 0xF5, 0, 0, 0, 0}},
        {u"<ImageBlock x0=\"1\" y0=\"2\" x1=\"3\" y1=\"4\" xsize=\"-1\" ysize=\"5\"/>",
         {0x4A, 0xF5, 1, 0, 2, 0, 3, 0, 4, 0}},
    };
    for (const Case& c : cases) {
        store = ObjectStore{};
        BuildImageBlock(store, c.element);
        EXPECT_EQ(TagsOf(store.imageBlocks[0].tags), c.tags) << Narrow(c.element);
    }
    EXPECT_EQ(store.imageBlocks[0].imageStreamId, 0u);
}

TEST_F(BuildHeaderFooterTest, ReadsTheRuleAndFillsTheBackground) {
    const WStringView element = u" framemode=\"square\" layout=\"LrTb\" framewidth=\"0\" framecolor=\"0x00000000\" "
                                u"objid=\"hdr_o0\" x1=\"0\" y1=\"5\" refobj=\"b3\"";
    BuildHeaderFooter(store, console, kKindHeader, element,
                      u" xl0=\"5\" yl0=\"28\" xl1=\"579\" yl1=\"28\" lw=\"1\" lc=\"127\" lt=\"3\"");
    BuildHeaderFooter(store, console, kKindFooter, u" objid=\"ftr_o0\" refobj=\"b4\" bgcolor=\"0x00ffffff\"", u" xl0=\"5\" lt=\"x\"");

    ASSERT_EQ(store.headers.size(), 1u);
    const HeaderFooterRecord& h = store.headers[0];
    EXPECT_EQ(h.objid, "hdr_o0");
    EXPECT_EQ(h.refObj, "b3");
    EXPECT_EQ(std::vector<int>({h.x1, h.y1, h.lineStartX, h.lineY, h.lineEndX, h.lineY2, h.lineWidth, h.lineColor,
                                h.lineType}),
              std::vector<int>({0, 5, 5, 28, 579, 28, 1, 127, 3}));
    const Bytes expectedTags = {0x2E, 0xF5, 0x01, 0x00, 0x35, 0xF5, 0x34, 0x00, 0x36, 0xF5, 0x00, 0x00,
                                0x37, 0xF5, 0x00, 0x00, 0x00, 0x00, 0x34, 0xF5, 0xFF, 0x00, 0x00, 0x00};
    EXPECT_EQ(TagsOf(h.tags), expectedTags);

    ASSERT_EQ(store.footers.size(), 1u);
    const HeaderFooterRecord& f = store.footers[0];
    EXPECT_EQ(std::vector<int>({f.x1, f.y1, f.lineStartX, f.lineY, f.lineEndX, f.lineWidth, f.lineColor, f.lineType}),
              std::vector<int>({-1, -1, 5, 0, 0, 0, 0, 0}));  // missing rule numbers are 0
    EXPECT_EQ(TagsOf(f.tags), (Bytes{0x34, 0xF5, 0x00, 0xFF, 0xFF, 0xFF}));
}

TEST_F(BuildTocEntryTest, StoresThePlainLabel) {
    BuildTocEntry(store, u" refpage=\"p3\" refobj=\"b7\" |<P><Bold>Part One</Bold></P><CR/>Chapter text");
    BuildTocEntry(store, u" refpage=\"p4\" refobj=\"b8\" |   <P>Tom &amp; Jerry &lt;1&gt; &quot;a&apos;b&quot;&nbsp;c "
                  u"&amp;lt; | x</P>");
    BuildTocEntry(store, u"<P>No bar</P>");
    ASSERT_EQ(store.tocEntries.size(), 3u);
    EXPECT_EQ(store.tocEntries[0].refPage, "p3");
    EXPECT_EQ(store.tocEntries[0].refObj, "b7");
    EXPECT_EQ(store.tocEntries[0].pageId, 0u);
    EXPECT_EQ(TextOf(store.tocEntries[0].label), u"Part One");
    EXPECT_EQ(TextOf(store.tocEntries[1].label), u"   Tom & Jerry <1> \"a'b\"\u00A0c &lt; | x");
    EXPECT_EQ(TextOf(store.tocEntries[2].label), u"No bar");
}

TEST_F(Builders, LongLabelsStayWholeAndDistinct) {
    const WString stem = u"b_a_very_long_fb2_identifier_";
    BuildPage(store, console, u"<Page objid=\"p0\">");
    BuildTextPair(u"<TextBlock objid=\"" + stem + u"one\" textstyle=\"ts_" + stem + u"\">");
    BuildTextPair(u"<TextBlock objid=\"" + stem + u"two\">");
    BuildButton(store, u"<Button objid=\"bf_" + stem + u"\" refpage=\"p0\" refobj=\"" + stem + u"two\">");
    EXPECT_EQ(store.blocks[0].objid, Narrow(stem) + "one");
    EXPECT_NE(store.blocks[0].objid, store.blocks[1].objid);
    EXPECT_EQ(store.textBlocks[0].textStyle, "ts_" + Narrow(stem));
    EXPECT_EQ(store.buttons[0].refObj, store.blocks[1].objid);
    EXPECT_EQ(store.buttons[0].refPage, "p0");
}

}  // namespace
}  // namespace tavorin::lrf
