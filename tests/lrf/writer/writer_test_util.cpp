// Helpers of the writer tests.
#include "writer_test_util.h"

namespace tavorin::lrf::test {

void WriterTest::StartBook() {
    store = ObjectStore{};
    ApplyBookSetting(store, {0, kBindingLeftToRight, 1600, 584, 754, 24});
    store.bookInfoXml = u"<?xml version=\"1.0\" ?>\r\n<Info version=\"1.1\">\r\n<BookInfo>\r\n<Title reading=\"T\">T"
                          u"</Title>\r\n<FreeText></FreeText>\r\n</BookInfo>\r\n</Info>\r\n";
}

std::vector<TagValue> BodyTextStyle() {
    return {{Tag::kAlign, kAlignHead},         {Tag::kFontFaceName, 0, u"Dutch801 Rm BT Roman"},
            {Tag::kFontSize, 100},             {Tag::kFontWidth, -10},
            {Tag::kFontWeight, 400},           {Tag::kParIndent, 80},
            {Tag::kBaselineSkip, 100},         {Tag::kLineSpace, 0},
            {Tag::kWordSpace, 20},             {Tag::kParSkip, 0},
            {Tag::kTextLineWidth, 10},         {Tag::kFontEscapement, 0},
            {Tag::kFontOrientation, 0},        {Tag::kLetterSpace, 0},
            {Tag::kCharSpace, 0},              {Tag::kLineColor, 0},
            {Tag::kTextColor, 0},              {Tag::kRubyOverhang, kRubyOverhangNone},
            {Tag::kRubyAlignAndAdjust, kRubyAlignStart}, {Tag::kEmpDotsPosition, kPositionBefore},
            {Tag::kEmpDotsCode, 46},           {Tag::kEmpLinePosition, kPositionBefore},
            {Tag::kEmpLineType, kLineNone},    {Tag::kColumn, 1},
            {Tag::kColumnSep, 0}};
}

void WriterTest::BuildTestStyles() {
    const TagValue page[] = {{Tag::kTextWidth, 584}, {Tag::kTextHeight, 700}, {Tag::kEvenSideMargin, 0},
                             {Tag::kOddSideMargin, 0}, {Tag::kTopMargin, 10}, {Tag::kHeadHeight, 20},
                             {Tag::kHeadSep, 4}, {Tag::kFootHeight, 20}, {Tag::kFootSpace, 24},
                             {Tag::kLayout, kLayoutLrTb}, {Tag::kPagePosition, kPagePositionAny},
                             {Tag::kBgImageMode, kBgImageFix}, {Tag::kSetEmptyView, kEmptyViewEmpty},
                             {Tag::kSetWaitProp, kWaitNoReplay}};
    BuildStyle(store, console, kKindPageStyle, "ps_front", page);
    BuildStyle(store, console, kKindPageStyle, "ps_main", page);
    const TagValue block[] = {{Tag::kBlockWidth, 583}, {Tag::kBlockHeight, 744}, {Tag::kSideMargin, 0},
                              {Tag::kBlockRule, kBlockRules[1]}, {Tag::kLayout, kLayoutLrTb}, {Tag::kTopSkip, 0},
                              {Tag::kFootSkip, 0}, {Tag::kFrameColor, 0}, {Tag::kFrameMode, kFrameModeSquare},
                              {Tag::kFrameWidth, 0}, {Tag::kBgImageMode, kBgImageFix}};
    BuildStyle(store, console, kKindBlockStyle, "bs_bdy", block);
    BuildStyle(store, console, kKindTextStyle, "ts_bdy", BodyTextStyle());
    BuildStyle(store, console, kKindBlockStyle, "bs_hdr", block);
    BuildStyle(store, console, kKindTextStyle, "ts_hdr", BodyTextStyle());
}

uint32_t WriterTest::AddTextBlock(const TextContent& content) { return BuildTextBlock(store, BodyText(), content); }

void WriterTest::AddPage(uint32_t header, uint32_t footer) {
    PageRecord page = Page();
    page.oddHeader = page.evenHeader = header;
    page.oddFooter = page.evenFooter = footer;
    BuildPage(store, std::move(page));
}

uint32_t WriterTest::AddImageBlock(uint32_t stream, int w, int h) {
    return BuildImageBlock(store, console, {kBodyStyle, stream, 0, 0, w, h, w, h}, {});
}

uint32_t WriterTest::AddHeaderFooter(ElementKind kind, uint32_t block, int16_t y) {
    HeaderFooterRecord record;
    record.block = block;
    record.x1 = 0;
    record.y1 = y;
    record.line = {0, 20, 584, 1, 0, 1};
    const TagValue frame[] = {{Tag::kFrameMode, kFrameModeSquare}, {Tag::kLayout, kLayoutLrTb},
                              {Tag::kFrameWidth, 0}, {Tag::kFrameColor, 0}};
    return BuildHeaderFooter(store, console, kind, std::move(record), frame);
}

std::vector<uint8_t> WriterTest::LinkAndWrite(const std::string& path) {
    AssignObjectIds(store);
    LinkObjects(store, console);
    EXPECT_TRUE(WriteLrfFile(store, console, path, inputPath).ok());
    return tavorin::test::ReadFileBytes(path);
}

}  // namespace tavorin::lrf::test
